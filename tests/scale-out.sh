#!/bin/sh
# A tree of pictures converted in parts, as README's recipes spread it over cores and
# machines, must give the same files as one run over the whole list: by GNU parallel (five
# parts, two at a time, one of them through --sshlogin's local login ":") and by the Slurm
# batch script's task step (three tasks, run one after another here as Slurm would run them
# on three nodes). The tree holds pictures of one name in different folders and two pictures
# of one result name in one folder, whose later one must win however the list is split.
# Exits 77 (skipped) after the Slurm part when GNU parallel is not installed.
#   usage: scale-out.sh PLENMAR-CONVERT SLURM-SCRIPT SAMPLE.jpg
set -eu
convert=$1
slurm=$2
sample=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

# Pictures of several sizes and colours, made from the sample.
mkdir -p "Bilder/2023/Juni" "Bilder/2024"
n=0
for folder in Bilder Bilder/2023/Juni Bilder/2024; do
  for name in IMG_0001 IMG_0002 "Haus am See" IMG_0003; do
    n=$((n + 1))
    "$convert" --quiet --size $((200 + 37 * n)) --red $((n * 7)) --blue $((40 - n * 5)) \
      "$sample" "$folder/$name.jpg"
  done
done
# One result name twice in a folder: the later of the list wins.
"$convert" --quiet --size 533 --green 60 "$sample" "Bilder/2024/IMG_0001.jpeg"
find Bilder -type f -print0 | sort -z >bilder.list

status=0
same() {
  if ! diff -r one "$1" >/dev/null; then
    echo "$2 gives other files than one run:"
    diff -r one "$1" || true
    status=1
  fi
}

mkdir one
"$convert" --quiet --files-from bilder.list -0 -o one --tree Bilder
[ "$(find one -type f | wc -l)" -eq 12 ] || { echo "one run: not 12 results"; exit 1; }

for task in 4 5 6; do
  SLURM_ARRAY_TASK_ID=$task SLURM_ARRAY_TASK_COUNT=3 SLURM_ARRAY_TASK_MIN=4 \
    SLURM_CPUS_PER_TASK=1 PLENMAR_CONVERT=$convert sh "$slurm" bilder.list Bilder slurm
done
same slurm "the Slurm array's three tasks"
if SLURM_ARRAY_TASK_ID=7 SLURM_ARRAY_TASK_COUNT=3 SLURM_ARRAY_TASK_MIN=4 \
    PLENMAR_CONVERT=$convert sh "$slurm" bilder.list Bilder slurm 2>/dev/null; then
  echo "a task beyond the array's count converted"
  status=1
fi

if ! command -v parallel >/dev/null; then
  echo "no GNU parallel (parallel): its recipe is not tried"
  [ $status -eq 0 ] && exit 77
  exit $status
fi
mkdir parallel
parallel --will-cite -j 2 --sshlogin : "$convert" --quiet --jobs 1 --files-from \
  bilder.list -0 -o parallel --tree Bilder --part {}/5 ::: 1 2 3 4 5
same parallel "GNU parallel's five parts"
exit $status
