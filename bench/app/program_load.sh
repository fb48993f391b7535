#!/usr/bin/env bash
# Load benchmark of the whole program: the real `orvia` (Release build) runs
# headless in a data folder of its own, with its installed data (default
# greeting, prompts, mailbox), and sipp places N calls at once. Every call is
# answered at the first ring, hears the default OGM and leaves a message of
# 20 to 30 seconds (sipp plays a recorded voice, /usr/share/sip-tester/
# g711a.pcap, over and over, then hangs up). While every call is connected,
# the program's CPU time (utime + stime of all its threads, from /proc) is
# measured over a window; its resident memory is read before the calls and
# at the end of the window. Afterwards the script checks that every call left
# its message.
#
#   bench/app/program_load.sh [calls (64)] [window seconds (20)] [lines|channels]
#
# "lines" (default): one SIP line per call, each its own telephony.ini
# section and port; "channels": one SIP account with channels=N (at most 64).
# The build folder is $ORVIA_BENCH_BUILD (default build/bench). With
# $ORVIA_BENCH_PERF set to a file name, the window is recorded there by
# `perf record` with call graphs (Debian linux-perf) for `perf report`; the
# CPU figure of such a run includes the sampling's own cost. Needs sipp (Debian
# sip-tester). Everything stays on 127.0.0.1.
set -euo pipefail

calls=${1:-64}
window=${2:-20}
layout=${3:-lines}
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${ORVIA_BENCH_BUILD:-$root/build/bench}
work=$(mktemp -d)
program_pid=""
sipp_pid=""

cleanup() {
    [ -n "$sipp_pid" ] && kill "$sipp_pid" 2>/dev/null || true
    [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVIA_TESTS=OFF \
    -DORVIA_BENCH=ON >/dev/null
cmake --build "$build" --target orvia -j2 >/dev/null
program="$build/src/app/orvia"

export ORVIA_DATA="$work/data" ORVIA_FOLDERS="$work/folders.ini"
export XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/config"
unset DISPLAY WAYLAND_DISPLAY XDG_SESSION_TYPE JOURNAL_STREAM
mkdir -p "$work/run" "$ORVIA_DATA"
chmod 700 "$work/run"

# Answer at the first ring; rings come every 0.2 s.
printf '[settings]\nnrings=1\n' >"$ORVIA_DATA/settings.ini"

write_telephony() {  # write_telephony <first port>
    if [ "$layout" = channels ]; then
        printf '[load]\ntype=sip\nname=Load\nlisten=127.0.0.1:%d\nringinterval=0.2\nchannels=%d\n' \
            "$1" "$calls"
    else
        for i in $(seq 0 $((calls - 1))); do
            printf '[load%d]\ntype=sip\nname=Load %d\nlisten=127.0.0.1:%d\nringinterval=0.2\n' \
                "$i" "$((i + 1))" "$(($1 + i))"
        done
    fi >"$ORVIA_DATA/telephony.ini"
}

# The lines listen on base .. base+N-1 (another program may hold one of those
# ports: then try elsewhere); sipp and its media just below.
for attempt in 1 2 3 4 5; do
    base=$((20000 + (RANDOM % 300) * 100))
    write_telephony "$base"
    "$program" /service >"$work/program.out" 2>"$work/program.err" &
    program_pid=$!
    opened=0
    for _ in $(seq 1 600); do
        opened=$(grep -c ': listening for calls' "$work/program.out" || true)
        failed=$(grep -c 'did not open' "$work/program.out" || true)
        [ "$opened" -ge "$calls" ] || [ "$failed" -gt 0 ] && break
        kill -0 "$program_pid" 2>/dev/null || break
        sleep 0.1
    done
    [ "$opened" -ge "$calls" ] && break
    kill "$program_pid" 2>/dev/null || true
    wait "$program_pid" 2>/dev/null || true
    program_pid=""
    [ "$attempt" = 5 ] && { cat "$work/program.out" "$work/program.err" >&2; exit 1; }
done

rss_kb() { awk '/^VmRSS:/ { print $2 }' "/proc/$program_pid/status"; }
rss_idle=$(rss_kb)

greeting="$ORVIA_DATA/OGMs/Default Answering Message.wav"
greeting_s=$(( ($(stat -c %s "$greeting") - 44) / 16000 ))
# The caller talks through the greeting and then for about 25 s.
pcap_ms=4800
plays=$(( (greeting_s + 2 + 25) * 1000 / pcap_ms + 1 ))

if [ "$layout" = channels ]; then
    for i in $(seq 0 $((calls - 1))); do echo "$base;"; done
else
    for i in $(seq 0 $((calls - 1))); do echo "$((base + i));"; done
fi | { echo SEQUENTIAL; cat; } >"$work/lines.csv"

{
    cat <<'XML'
<?xml version="1.0" encoding="ISO-8859-1" ?>
<scenario name="program load">
  <nop><action><setdest host="127.0.0.1" port="[field0]" protocol="udp"/></action></nop>
  <send retrans="500">
    <![CDATA[
      INVITE sip:orvia@127.0.0.1:[field0] SIP/2.0
      Via: SIP/2.0/[transport] [local_ip]:[local_port];branch=[branch]
      From: "Load" <sip:555[call_number]@[local_ip]:[local_port]>;tag=[pid]SIPpTag00[call_number]
      To: <sip:orvia@127.0.0.1:[field0]>
      Call-ID: [call_id]
      CSeq: 1 INVITE
      Contact: <sip:load@[local_ip]:[local_port]>
      Max-Forwards: 70
      Content-Type: application/sdp
      Content-Length: [len]

      v=0
      o=load 1 1 IN IP4 [local_ip]
      s=-
      c=IN IP4 [media_ip]
      t=0 0
      m=audio [media_port] RTP/AVP 8 101
      a=rtpmap:8 PCMA/8000
      a=rtpmap:101 telephone-event/8000
      a=fmtp:101 0-15
    ]]>
  </send>
  <recv response="100" optional="true"/>
  <recv response="180" optional="true"/>
  <recv response="200" rrs="true"/>
  <send>
    <![CDATA[
      ACK [next_url] SIP/2.0
      Via: SIP/2.0/[transport] [local_ip]:[local_port];branch=[branch]
      From: "Load" <sip:555[call_number]@[local_ip]:[local_port]>;tag=[pid]SIPpTag00[call_number]
      To: <sip:orvia@127.0.0.1:[field0]>[peer_tag_param]
      Call-ID: [call_id]
      CSeq: 1 ACK
      Max-Forwards: 70
      Content-Length: 0
    ]]>
  </send>
XML
    for _ in $(seq 1 "$plays"); do
        echo '  <nop><action><exec play_pcap_audio="/usr/share/sip-tester/g711a.pcap"/></action></nop>'
        echo "  <pause milliseconds=\"$pcap_ms\"/>"
    done
    cat <<'XML'
  <send retrans="500">
    <![CDATA[
      BYE [next_url] SIP/2.0
      Via: SIP/2.0/[transport] [local_ip]:[local_port];branch=[branch]
      From: "Load" <sip:555[call_number]@[local_ip]:[local_port]>;tag=[pid]SIPpTag00[call_number]
      To: <sip:orvia@127.0.0.1:[field0]>[peer_tag_param]
      Call-ID: [call_id]
      CSeq: 2 BYE
      Max-Forwards: 70
      Content-Length: 0
    ]]>
  </send>
  <recv response="200" crlf="true"/>
</scenario>
XML
} >"$work/load.xml"

(cd "$work" && exec sipp -sf load.xml -inf lines.csv -m "$calls" -l "$calls" -r "$calls" \
    -rp 1000 -i 127.0.0.1 -mi 127.0.0.1 -p $((base - 50)) -mp $((base - 40)) \
    -nostdin -timeout $((plays * pcap_ms / 1000 + 90))s 127.0.0.1:"$base" \
    >"$work/sipp.out" 2>&1) &
sipp_pid=$!

connected() {
    "$program" status --json 2>/dev/null | grep -o '"state":"connected"' | wc -l || true
}
for _ in $(seq 1 300); do
    [ "$(connected)" -ge "$calls" ] && break
    sleep 0.2
done
[ "$(connected)" -ge "$calls" ] || { echo "not every call connected" >&2; exit 1; }
sleep 2  # let every call settle

ticks=$(getconf CLK_TCK)
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$program_pid/stat"; }
start=$(cpu_ticks)
start_ns=$(date +%s%N)
if [ -n "${ORVIA_BENCH_PERF:-}" ]; then
    perf record -q -F 999 --call-graph dwarf,16384 -p "$program_pid" -o "$ORVIA_BENCH_PERF" -- sleep "$window" \
        >/dev/null 2>&1
else
    sleep "$window"
fi
end=$(cpu_ticks)
end_ns=$(date +%s%N)
rss_calls=$(rss_kb)
still=$(connected)
[ "$still" -ge "$calls" ] ||
    echo "warning: only $still of $calls calls were connected at the end of the window" >&2

wait "$sipp_pid" || echo "warning: sipp reported failed calls (see its statistics)" >&2
sipp_pid=""
# The messages are kept when the calls end.
for _ in $(seq 1 100); do
    kept=$(find "$ORVIA_DATA/MailBoxes" -name 'Default ICM*.wav' | wc -l)
    [ "$kept" -ge "$calls" ] && break
    sleep 0.2
done
lengths=$(find "$ORVIA_DATA/MailBoxes" -name 'Default ICM*.wav' -printf '%s\n' |
    awk '{ s = ($1 - 44) / 16000; if (min == "" || s < min) min = s; if (s > max) max = s }
         END { printf "%.0f to %.0f s", min, max }')

awk -v t="$((end - start))" -v hz="$ticks" -v ns="$((end_ns - start_ns))" -v n="$calls" \
    -v layout="$layout" -v idle="$rss_idle" -v busy="$rss_calls" -v kept="$kept" \
    -v lengths="$lengths" 'BEGIN {
    cpu = t / hz; wall = ns / 1e9;
    printf "orvia load: %d simultaneous calls (%s), default OGM, then a message\n", n, layout;
    printf "CPU (utime+stime): %.2f %% of one core over %.1f s (%.3f %% per call)\n",
           100 * cpu / wall, wall, 100 * cpu / wall / n;
    printf "RSS: %.1f MB before the calls, %.1f MB with every call connected\n",
           idle / 1024, busy / 1024;
    printf "messages kept: %d of %d (%s)\n", kept, n, lengths;
}'
