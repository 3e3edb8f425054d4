#!/bin/bash
# The drop benchmark (bench/drop_bench.cpp) under Wine. Arguments go to the
# benchmark (the number of pictures, 10000 by default).
exec "$(dirname "$0")/wine-bench.sh" drop "$@"
