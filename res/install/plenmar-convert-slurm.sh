#!/bin/sh
# A large tree of pictures converted by a Slurm job array: every task of the array reads the
# same list and converts its own part of it (plenmar-convert --part), chosen by result name,
# so the results are the same files, byte for byte, however many tasks share the work.
#
#   find ~/Bilder -type f \( -iname '*.jpg' -o -iname '*.jpeg' -o -iname '*.heic' \) \
#       -print0 >bilder.list
#   sbatch --array=1-16 plenmar-convert-slurm.sh bilder.list ~/Bilder ~/Bilder-klein --size 800
#
# LIST holds the pictures, each name ended by a NUL byte (find -print0); each result goes
# into the folder below OUTPUT that its picture's folder is below BASE; the words after
# OUTPUT are options of plenmar-convert. The tasks must be numbered without gaps (--array=1-16
# or 0-15, no steps); the list, BASE and OUTPUT must be seen alike by every node (a shared file
# system). A task converts as many pictures at once as it has processors.
#   usage: plenmar-convert-slurm.sh LIST BASE OUTPUT [OPTIONS...]
#SBATCH --job-name=plenmar-convert
#SBATCH --cpus-per-task=2
#SBATCH --output=plenmar-convert-%A_%a.log
set -eu
usage="usage: sbatch --array=1-N plenmar-convert-slurm.sh LIST BASE OUTPUT [OPTIONS...]"
[ $# -ge 3 ] || { echo "$usage" >&2; exit 2; }
list=$1
base=$2
output=$3
shift 3
task=${SLURM_ARRAY_TASK_ID:?not a task of a job array: $usage}
count=${SLURM_ARRAY_TASK_COUNT:?not a task of a job array: $usage}
part=$((task - ${SLURM_ARRAY_TASK_MIN:-0} + 1))
if [ "$part" -lt 1 ] || [ "$part" -gt "$count" ]; then
  echo "task $task is not one of $count tasks numbered without gaps: $usage" >&2
  exit 2
fi
mkdir -p "$output"
exec "${PLENMAR_CONVERT:-plenmar-convert}" --quiet --jobs "${SLURM_CPUS_PER_TASK:-$(nproc)}" \
  --files-from "$list" -0 -o "$output" --tree "$base" --part "$part/$count" "$@"
