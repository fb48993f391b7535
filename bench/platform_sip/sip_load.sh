#!/usr/bin/env bash
# SIP load benchmark: places simultaneous sipp calls on as many SIP lines of
# the load host (every call answered at the first ring, an OGM playing and
# the caller's audio recorded) and reports the host's CPU use while all calls
# are connected, in percent of one core.
#
#   bench/platform_sip/sip_load.sh [lines (64)] [measured seconds (10)]
#
# Needs sipp (Debian sip-tester). Everything stays on 127.0.0.1.
set -euo pipefail

lines=${1:-64}
window=${2:-10}
root=$(cd "$(dirname "$0")/../.." && pwd)
build="$root/build/bench"
work=$(mktemp -d)
host_pid=""
sipp_pid=""

cleanup() {
    [ -n "$sipp_pid" ] && kill "$sipp_pid" 2>/dev/null || true
    [ -n "$host_pid" ] && kill "$host_pid" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVIA_TESTS=OFF \
    -DORVIA_BENCH=ON >/dev/null
cmake --build "$build" --target orvia_sip_load_host -j2 >/dev/null

wait_for() {  # wait_for <pattern> <seconds>
    for _ in $(seq 1 $(($2 * 10))); do
        grep -qx "$1" "$work/host.out" && return 0
        kill -0 "$host_pid" 2>/dev/null || { cat "$work/host.out"; return 1; }
        sleep 0.1
    done
    echo "timed out waiting for \"$1\"" >&2
    return 1
}

# Lines listen on base .. base+lines-1 (another program may hold one of those
# ports: then try elsewhere); sipp and its media just below.
for attempt in 1 2 3 4 5; do
    base=$((30000 + (RANDOM % 200) * 100))
    "$build/bench/platform_sip/orvia_sip_load_host" "$lines" "$base" >"$work/host.out" 2>&1 &
    host_pid=$!
    if wait_for ready 30 2>/dev/null; then
        break
    fi
    wait "$host_pid" 2>/dev/null || true
    host_pid=""
    [ "$attempt" = 5 ] && { cat "$work/host.out" >&2; exit 1; }
done

# One call per line: sipp takes each call's destination port from the file.
{
    echo SEQUENTIAL
    for i in $(seq 0 $((lines - 1))); do echo "$((base + i));"; done
} >"$work/lines.csv"

plays=$(( (window + 20) / 7 + 1 ))  # the 7-second pcap, enough times to outlast the window
{
    cat <<'XML'
<?xml version="1.0" encoding="ISO-8859-1" ?>
<scenario name="sip load">
  <nop><action><setdest host="127.0.0.1" port="[field0]" protocol="udp"/></action></nop>
  <send retrans="500">
    <![CDATA[
      INVITE sip:orvia@127.0.0.1:[field0] SIP/2.0
      Via: SIP/2.0/[transport] [local_ip]:[local_port];branch=[branch]
      From: "Load" <sip:load@[local_ip]:[local_port]>;tag=[pid]SIPpTag00[call_number]
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
  <recv response="180"/>
  <recv response="200" rrs="true"/>
  <send>
    <![CDATA[
      ACK [next_url] SIP/2.0
      Via: SIP/2.0/[transport] [local_ip]:[local_port];branch=[branch]
      From: "Load" <sip:load@[local_ip]:[local_port]>;tag=[pid]SIPpTag00[call_number]
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
        echo '  <pause milliseconds="7050"/>'
    done
    cat <<'XML'
  <send retrans="500">
    <![CDATA[
      BYE [next_url] SIP/2.0
      Via: SIP/2.0/[transport] [local_ip]:[local_port];branch=[branch]
      From: "Load" <sip:load@[local_ip]:[local_port]>;tag=[pid]SIPpTag00[call_number]
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

(cd "$work" && exec sipp -sf load.xml -inf lines.csv -m "$lines" -l "$lines" -r "$lines" \
    -rp 1000 -i 127.0.0.1 -mi 127.0.0.1 -p $((base - 50)) -mp $((base - 40)) \
    -nostdin -timeout $((window + 90))s 127.0.0.1:"$base" >"$work/sipp.out" 2>&1) &
sipp_pid=$!

wait_for "connected $lines" 60
sleep 2  # let every call settle

ticks=$(getconf CLK_TCK)
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$host_pid/stat"; }
start=$(cpu_ticks)
start_ns=$(date +%s%N)
sleep "$window"
end=$(cpu_ticks)
end_ns=$(date +%s%N)
grep -qx "connected $lines" <(tail -n 1 "$work/host.out") ||
    echo "warning: not all calls stayed connected during the window" >&2

awk -v t="$((end - start))" -v hz="$ticks" -v ns="$((end_ns - start_ns))" -v n="$lines" 'BEGIN {
    cpu = t / hz; wall = ns / 1e9;
    printf "SIP load: %d simultaneous calls (G.711, OGM playing, recording)\n", n;
    printf "Orvia SIP host CPU: %.2f %% of one core over %.1f s (%.3f %% per call)\n",
           100 * cpu / wall, wall, 100 * cpu / wall / n;
}'
