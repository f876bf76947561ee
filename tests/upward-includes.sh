#!/bin/sh
# Builds the include probes (tests/CMakeLists.txt): each compiles one header with the include
# folders of one library. A header of a layer above must fail to compile for want of the file,
# one of the library itself or below must compile.
#   upward-includes.sh BUILD-DIR PROBE:HEADER:EXPECTED...
build=$1
shift
status=0
for probe in "$@"; do
    target=${probe%%:*} rest=${probe#*:}
    header=${rest%%:*} expected=${rest#*:}
    output=$(cmake --build "$build" --target "$target" 2>&1)
    built=$?
    if [ "$expected" = compiles ]; then
        if [ $built -ne 0 ]; then
            echo "$target: $header should compile but does not:"; echo "$output"; status=1
        fi
    elif [ $built -eq 0 ]; then
        echo "$target: $header is above it but compiles"; status=1
    elif ! printf '%s\n' "$output" | grep -q "$header: No such file"; then
        echo "$target: $header fails for another reason than its folder being out of sight:"
        echo "$output"; status=1
    fi
done
[ $status -eq 0 ] && echo "$# probes: headers above a library are out of its sight."
exit $status
