#!/usr/bin/env bash
# Builds and runs the benchmarks under Wine and prints their figures and ratios.
# Usage: scripts/bench.sh [files|xml|response ...]   (default: all three)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

bash scripts/setup.sh
source scripts/build.sh

export VERIMARK_BUILD_DIR="$root/build/x86_64"
source cmake/wine-env.sh
trap 'wineserver -k 2>/dev/null || true' EXIT
run() { cmake/wine-run.sh "$@"; }
bin=build/x86_64/bench
data="$root/build/bench-data"

# The result line with the highest MB/s of N runs: the machines are shared and noisy.
best() {
  local n=$1; shift
  for ((i = 0; i < n; i++)); do "$@" 2>/dev/null | tr -d '\r'; done | sort -t' ' -k5 -g -r | head -n 1
}

# "<ours> / <theirs>" of the MB/s figure in two result lines.
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { split(a, x, " "); split(b, y, " "); printf "%.2f", x[5] / y[5] }'; }

documents() {
  mkdir -p "$data"
  [[ -f "$data/items-1000000.xml" ]] || run "$bin/bench_xml_parser.exe" generate "$(winepath -w "$data")" >/dev/null
}

bench_files() {
  echo "== file layer against plain ReadFile/WriteFile loops"
  run "$bin/bench_file_throughput.exe"
}

bench_xml() {
  echo "== XML tree parser against libxml2's SAX push parser (native), 65568-byte pieces"
  documents
  c++ -O2 -std=c++17 bench/libxml2/Libxml2Baseline.cpp $(xml2-config --cflags --libs) -o build/libxml2-baseline
  # Ours built natively as well, for the warm comparison: processor time alone, on memory
  # the process has already mapped (see bench/XMLParserThroughput.cpp).
  c++ -O3 -std=c++20 -I. bench/XMLParserThroughput.cpp bench/ResponseDocument.cpp \
    xml/CompactText.cpp xml/TreeArena.cpp xml/SimpleXMLParserPL.cpp xml/XMLElementPL.cpp \
    xml/XMLTreeParserPL.cpp xml/XMLTreeStorage.cpp -o build/xml-parser-native
  for n in 1000 100000 1000000; do
    file="$data/items-$n.xml"
    ours=$(best 3 run "$bin/bench_xml_parser.exe" measure "$(winepath -w "$file")")
    theirs=$(best 3 build/libxml2-baseline "$file")
    echo "  verimark (Wine): $ours"
    echo "  libxml2        : $theirs"
    echo "  throughput ratio, first run in a fresh process (verimark / libxml2): $(ratio "$ours" "$theirs")"
    ours=$(best 3 build/xml-parser-native warm "$file")
    theirs=$(best 3 build/libxml2-baseline --warm "$file")
    echo "  verimark (native, warm): $ours"
    echo "  libxml2 (native, warm) : $theirs"
    echo "  throughput ratio, warm (verimark / libxml2): $(ratio "$ours" "$theirs")"
  done
}

bench_response() {
  echo "== ReadResponseFile (file layer, tree parser and interpretation), next to the tree parser alone"
  documents
  for n in 1000 100000 1000000; do
    file="$data/items-$n.xml"
    echo "  response reader: $(best 3 run "$bin/bench_read_response.exe" "$(winepath -w "$file")")"
    echo "  tree parser    : $(best 3 run "$bin/bench_xml_parser.exe" measure "$(winepath -w "$file")")"
  done
}

for what in "${@:-files xml response}"; do
  for one in $what; do "bench_$one"; done
done
