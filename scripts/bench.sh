#!/usr/bin/env bash
# Measures the response reader against libxml2's SAX push parser collecting the same six
# texts per item, each comparison from one run (ours and libxml2's interleaved, best of N,
# with the spread), and ends with one line per figure and size, for scripts:
#   bench: warm-ratio <items> <ratio>          parse and build from memory, both native
#   bench: cold-reader-ratio <items> <ratio>   ReadResponseFile in a fresh process (Wine) to libxml2's cold parse
#   bench: peak-ratio <items> <ratio>          peak memory while reading, to the document's size
#   bench: worst-peak-ratio <shape> <ratio>    the same for the worst shapes
#   bench: output-peak-ratio <format> <items> <ratio>   (outputs) the tool's peak memory with
#                                              that output, to its peak with the listing alone
# Usage: scripts/bench.sh [reader|files|tree|outputs ...]   (default: reader)
#   files    the file layer against plain ReadFile/WriteFile loops
#   tree     the element tree parser, the reader's former route, against libxml2
#   outputs  the tool against the stand-in agent's generated answers of 1k, 100k and 1M
#            items (VERIMARK_BENCH_ITEMS overrides the sizes): the peak memory and time of
#            the listing, --json, --output junit and --output html
# Builds only what it measures: the x86-64 benchmark programs, natively and for Windows.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
cd "$verimark_root"
runs=${VERIMARK_BENCH_RUNS:-7}
[[ $runs =~ ^[1-9][0-9]*$ ]] || { echo "bench: VERIMARK_BENCH_RUNS is a whole number from 1" >&2; exit 2; }

VERIMARK_ARM64=off VERIMARK_BROWSER=off bash scripts/setup.sh
cmake --preset x86_64 >/dev/null
cmake --build build/x86_64 --target bench_read_response bench_response_reader bench_xml_parser bench_file_throughput \
  Verimark TVKClientSim >/dev/null

use_wine_tree "$verimark_root/build/x86_64" wine64
trap 'stop_wine build/x86_64' EXIT
bin=build/x86_64/bench
data="$verimark_root/build/bench-data"
summary=()

native() {
  mkdir -p build/bench-native
  [[ -x build/bench-native/libxml2-baseline && build/bench-native/libxml2-baseline -nt bench/libxml2/Libxml2Baseline.cpp ]] ||
    c++ -O2 -std=c++17 bench/libxml2/Libxml2Baseline.cpp $(xml2-config --cflags --libs) -o build/bench-native/libxml2-baseline
  # Ours natively too, for the warm comparison: processor time alone, on equal terms.
  c++ -O3 -std=c++20 -I. bench/ResponseReaderThroughput.cpp bench/ResponseDocument.cpp compliance/ResponseReader.cpp \
    compliance/ComplianceItems.cpp compliance/ComplianceTypes.cpp xml/SimpleXMLParserPL.cpp text/Numerals.cpp \
    text/CopiedUString.cpp text/Format.cpp text/UStringBuilder.cpp errors/DebuggableException.cpp \
    errors/ExceptionPL.cpp cmake/native/NativePlatform.cpp \
    -o build/bench-native/response-reader
}

documents() {
  mkdir -p "$data"
  [[ -f "$data/items-1000000.xml" && -f "$data/worst-empty-items.xml" ]] || build/bench-native/response-reader generate "$data"
}

# The MB/s of a result line ("... <n> MB/s ...").
mbps() { sed -E 's/.* ([0-9.]+) MB\/s.*/\1/' <<<"$1"; }
# The growth of a result line ("... growth <x>x of document").
growth() { sed -E 's/.*growth ([0-9.]+)x.*/\1/' <<<"$1"; }
# best, median and spread (best to worst, in percent) of numbers on standard input.
stats() { sort -g | awk '{ v[NR] = $1 } END { printf "%s %s %.0f", v[NR], v[int((NR + 1) / 2)], 100 * (v[NR] - v[1]) / v[NR] }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
# The warm comparison runs both programs with the same allocator settings: the heap is not
# trimmed between rounds (the mapping threshold stays glibc's own, which adapts).
warm_allocator=(env GLIBC_TUNABLES=glibc.malloc.trim_threshold=1073741824)

bench_reader() {
  native
  documents
  echo "== the response reader against libxml2's SAX push parser, 65568-byte pieces, best of $runs, interleaved"
  for n in 1000 100000 1000000; do
    file="$data/items-$n.xml"
    ours=() theirs=() cold=() libcold=() peak=()
    for ((i = 0; i < runs; i++)); do
      ours+=("$(mbps "$("${warm_allocator[@]}" build/bench-native/response-reader warm "$file")")")
      theirs+=("$(mbps "$("${warm_allocator[@]}" build/bench-native/libxml2-baseline --warm "$file")")")
      line=$(wine_run "$bin/bench_read_response.exe" "$(winepath -w "$file")" | tr -d '\r')
      cold+=("$(mbps "$line")")
      peak+=("$(growth "$line")")
      libcold+=("$(mbps "$(build/bench-native/libxml2-baseline "$file")")")
    done
    read -r ob om os <<<"$(printf '%s\n' "${ours[@]}" | stats)"
    read -r tb tm ts <<<"$(printf '%s\n' "${theirs[@]}" | stats)"
    read -r cb cm cs <<<"$(printf '%s\n' "${cold[@]}" | stats)"
    read -r lb lm ls <<<"$(printf '%s\n' "${libcold[@]}" | stats)"
    pmax=$(printf '%s\n' "${peak[@]}" | sort -g | tail -n 1)
    echo "  $n items ($(stat -c %s "$file") bytes):"
    echo "    warm: reader $ob MB/s (median $om, spread $os%), libxml2 $tb MB/s (median $tm, spread $ts%): ratio $(ratio "$ob" "$tb"), medians $(ratio "$om" "$tm")"
    echo "    cold: ReadResponseFile $cb MB/s (median $cm, spread $cs%), libxml2 $lb MB/s (median $lm, spread $ls%): ratio $(ratio "$cb" "$lb"), medians $(ratio "$cm" "$lm")"
    echo "    peak memory while reading: ${pmax}x the document (the highest of $runs)"
    summary+=("bench: warm-ratio $n $(ratio "$ob" "$tb")" "bench: cold-reader-ratio $n $(ratio "$cb" "$lb")"
              "bench: peak-ratio $n $pmax")
  done
  echo "== peak memory of ReadResponseFile on the worst shapes"
  for shape in attributes nesting huge-text empty-items ignored-text; do
    file="$data/worst-$shape.xml"
    line=$(wine_run "$bin/bench_read_response.exe" "$(winepath -w "$file")" | tr -d '\r')
    echo "  $shape ($(stat -c %s "$file") bytes): $line"
    summary+=("bench: worst-peak-ratio $shape $(growth "$line")")
  done
}

bench_files() {
  echo "== file layer against plain ReadFile/WriteFile loops"
  wine_run "$bin/bench_file_throughput.exe"
}

bench_tree() {
  native
  documents
  echo "== the element tree parser (no longer the reader's route) against libxml2, under Wine, first run"
  for n in 1000 100000 1000000; do
    file="$data/items-$n.xml"
    echo "  $n items: tree $(wine_run "$bin/bench_xml_parser.exe" measure "$(winepath -w "$file")" | tr -d '\r')"
    echo "  $n items: libxml2 $(build/bench-native/libxml2-baseline "$file")"
  done
}

bench_outputs() {
  local agent=build/x86_64/agent/TVKClientSim.exe tool=build/x86_64/tool/Verimark.exe
  local out="$verimark_root/build/bench-outputs" log url="http://myserver:52311/cgi-bin/tvkgather.exe/actionsite"
  local n format peak seconds status base line
  mkdir -p "$out"
  log="$out/agent.log"
  echo "== the tool's peak memory and time by output, one run each against the stand-in agent's generated"
  echo "   answers (every third item fails), standard output into a file; x86-64 under Wine: the peak is"
  echo "   the process's resident high-water mark, Wine's own libraries included"
  wine_run "$agent" uninstall >/dev/null 2>&1 || true
  wine_run "$agent" install >/dev/null
  for n in ${VERIMARK_BENCH_ITEMS:-1000 100000 1000000}; do
    wine_run "$agent" run --data "$(winepath -w "$verimark_root/agent/sample")" --check-interval 250 \
      --fault "many-items:$n" >"$log" 2>&1 &
    for _ in $(seq 1 300); do grep -q "running:" "$log" 2>/dev/null && break; sleep 0.1; done
    echo "  $n items:"
    for format in listing json junit html; do
      rm -f "$out/report".*
      case $format in
        listing) args=(-c "$url" "Workstation Baseline") ;;
        json) args=(--json --quiet -c "$url" "Workstation Baseline") ;;
        *) args=(--output "$format:$(winepath -w "$out/report.$format")" -c "$url" "Workstation Baseline") ;;
      esac
      read -r peak seconds status < <(python3 bench/ProcessPeak.py "$out/stdout" cmake/wine-run.sh "$tool" "${args[@]}")
      [[ $format == listing ]] && base=$peak
      [[ $format == junit || $format == html ]] && [[ ! -s $out/report.$format ]] &&
        { echo "bench: the $format report was not written" >&2; exit 1; }
      line=$(printf '    %-16s %8.1f MB %8.2f s  exit %s' "$([[ $format == listing ]] && echo listing ||
        { [[ $format == json ]] && echo --json || echo "--output $format"; })" "$(awk -v k="$peak" 'BEGIN { print k / 1024 }')" \
        "$seconds" "$status")
      if [[ $format == listing ]]; then
        echo "$line  ($(stat -c %s "$out/stdout") bytes of listing)"
      else
        echo "$line  ($(ratio "$peak" "$base")x the listing's peak)"
        summary+=("bench: output-peak-ratio $format $n $(ratio "$peak" "$base")")
      fi
    done
    wine_run "$agent" stop >/dev/null 2>&1 || true
    wait
  done
  bench_html_render "$out"
  wine_run "$agent" uninstall >/dev/null 2>&1 || true
  rm -f "$out/stdout" "$out/report".*
}

# How long headless Chromium takes from its start to a screenshot of the HTML report: a
# 10,000-item page against a 10-item one in the same run (the difference is the page's own
# cost; the rest is the browser starting). Three of each, interleaved; the medians.
bench_html_render() {
  local out=$1 agent=build/x86_64/agent/TVKClientSim.exe tool=build/x86_64/tool/Verimark.exe n i start
  local url="http://myserver:52311/cgi-bin/tvkgather.exe/actionsite"
  command -v chromium >/dev/null || { echo "  the HTML page in a browser: no chromium (scripts/setup.sh installs it)"; return; }
  for n in 10 10000; do
    wine_run "$agent" run --data "$(winepath -w "$verimark_root/agent/sample")" --check-interval 250 \
      --fault "many-items:$n" >"$out/agent.log" 2>&1 </dev/null &
    for _ in $(seq 1 300); do grep -q "running:" "$out/agent.log" 2>/dev/null && break; sleep 0.1; done
    wine_run "$tool" --quiet --output "html:$(winepath -w "$out/page-$n.html")" -c "$url" "Workstation Baseline" >/dev/null || true
    wine_run "$agent" stop >/dev/null 2>&1 || true
    wait
  done
  declare -A times=()
  for i in 1 2 3; do
    for n in 10 10000; do
      start=$(date +%s.%N)
      chromium --headless --no-sandbox --disable-gpu --window-size=1100,800 --screenshot="$out/page-$n.png" \
        "file://$out/page-$n.html" >/dev/null 2>&1
      times[$n]+="$(echo "$(date +%s.%N) - $start" | bc) "
    done
  done
  local small large
  small=$(tr ' ' '\n' <<<"${times[10]}" | grep . | sort -n | sed -n 2p)
  large=$(tr ' ' '\n' <<<"${times[10000]}" | grep . | sort -n | sed -n 2p)
  echo "  the HTML page in headless Chromium, start to screenshot (medians of 3):"
  printf '    %-16s %8.2f s  (%s bytes)\n' "10 items" "$small" "$(stat -c %s "$out/page-10.html")"
  printf '    %-16s %8.2f s  (%s bytes; %.2f s beyond the 10-item page)\n' "10000 items" "$large" \
    "$(stat -c %s "$out/page-10000.html")" "$(echo "$large - $small" | bc)"
  summary+=("bench: html-render-seconds 10 $small")
  summary+=("bench: html-render-seconds 10000 $large")
  rm -f "$out"/page-*
}

for what in ${@:-reader}; do
  "bench_$what"
done
printf '%s\n' "${summary[@]}"
