#!/bin/bash
# The large collection benchmark (bench/collection_bench.cpp) under Wine.
# Arguments go to the benchmark (the number of pictures, 30000 by default;
# --reference N: how many items the old fill takes, 2000 by default, 0 for
# none).
exec "$(dirname "$0")/wine-bench.sh" collection "$@"
