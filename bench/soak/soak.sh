#!/usr/bin/env bash
# Soak benchmark: the orvia program (Release build, headless) takes a long
# run of SIP calls from sipp on loopback and is watched for growth.
#
#   bench/soak/soak.sh [calls (1000)] [random hang-ups (200)] [lines (5)]
#
# The calls come one after another on each of <lines> SIP lines (calls/lines
# each): every caller is answered at the first ring, goes straight to the
# mailbox and talks (sipp's G.711 recording) for 6 s, then hangs up, so each
# leaves a message. Meanwhile one more line takes <random hang-ups> callers
# who hang up after a random 0-6 s (some while the call is set up, some
# before their message is long enough to keep, some after). Every 10 s the
# program's resident memory, open file descriptors and threads are sampled.
# At the end the program is stopped with SIGTERM and every message left in
# the mailbox is checked: a valid WAVE file whose header counts exactly the
# audio it holds, with its properties file.
#
# Uses build/release/src/app/orvia (make run, or cmake -DORVIA_TESTS=OFF
# -DCMAKE_BUILD_TYPE=Release) or $ORVIA_BIN. Needs sipp (Debian sip-tester)
# and python3. Everything stays on 127.0.0.1.
set -euo pipefail

calls=${1:-1000}
aborts=${2:-200}
lines=${3:-5}
root=$(cd "$(dirname "$0")/../.." && pwd)
bin=${ORVIA_BIN:-$root/build/release/src/app/orvia}
[ -x "$bin" ] || { echo "no orvia program at $bin (build the Release configuration)" >&2; exit 1; }
work=$(mktemp -d)
orvia_pid=""
sipp_pids=()

cleanup() {
    for pid in "${sipp_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    [ -n "$orvia_pid" ] && kill "$orvia_pid" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

export ORVIA_DATA=$work/data ORVIA_FOLDERS=$work/folders.ini
export XDG_RUNTIME_DIR=$work/run XDG_CONFIG_HOME=$work/config
unset DISPLAY WAYLAND_DISPLAY
mkdir -p "$work/run" "$work/data/OGMs" "$work/data/MailBoxes" "$work/data/System Prompts" \
    "$work/data/Logs"
# Prompts that do not play (the caller goes straight to the recording) and a
# main OGM that hands the caller to the mailbox.
for prompt in InvalidOption InvalidNumber GoodBye TransferQuery LeaveMessage RecordTone \
    EnterAccessCode InvalidAccessCode MailBoxMessageMenu NoMoreMessagesMenu MailBoxSetup \
    ForwardMessage; do
    echo "stand-in" >"$work/data/System Prompts/$prompt.wav"
done
printf '[settings]\nogm=Main\nnrings=1\n' >"$work/data/settings.ini"
printf '[ivr]\nwait=0\nplaycomplete=mailbox\nplaycompletembx=Default\n' \
    >"$work/data/OGMs/Main.ini"
printf '[ivr]\n' >"$work/data/OGMs/Default Answering Message.ini"
printf '[mbx]\n' >"$work/data/MailBoxes/Default.mbx"

# Lines on base .. base+lines (the last takes the random hang-ups); sipp's
# ports just below.
base=$((30000 + (RANDOM % 200) * 100))
: >"$work/data/telephony.ini"
for i in $(seq 0 "$lines"); do
    printf '[sip%d]\ntype=sip\nlisten=127.0.0.1:%d\n' "$i" $((base + i)) >>"$work/data/telephony.ini"
done

scenario() {  # scenario <talk: pause element>
    cat <<XML
<?xml version="1.0" encoding="ISO-8859-1" ?>
<scenario name="soak">
  <send retrans="500">
    <![CDATA[
      INVITE sip:orvia@[remote_ip]:[remote_port] SIP/2.0
      Via: SIP/2.0/[transport] [local_ip]:[local_port];branch=[branch]
      From: "Soak" <sip:soak[call_number]@[local_ip]:[local_port]>;tag=[pid]SIPpTag00[call_number]
      To: <sip:orvia@[remote_ip]:[remote_port]>
      Call-ID: [call_id]
      CSeq: 1 INVITE
      Contact: <sip:soak@[local_ip]:[local_port]>
      Max-Forwards: 70
      Content-Type: application/sdp
      Content-Length: [len]

      v=0
      o=soak 1 1 IN IP4 [local_ip]
      s=-
      c=IN IP4 [media_ip]
      t=0 0
      m=audio [media_port] RTP/AVP 8
      a=rtpmap:8 PCMA/8000
    ]]>
  </send>
  <recv response="100" optional="true"/>
  <recv response="180"/>
  <recv response="200" rrs="true"/>
  <send>
    <![CDATA[
      ACK [next_url] SIP/2.0
      Via: SIP/2.0/[transport] [local_ip]:[local_port];branch=[branch]
      From: "Soak" <sip:soak[call_number]@[local_ip]:[local_port]>;tag=[pid]SIPpTag00[call_number]
      To: <sip:orvia@[remote_ip]:[remote_port]>[peer_tag_param]
      Call-ID: [call_id]
      CSeq: 1 ACK
      Max-Forwards: 70
      Content-Length: 0
    ]]>
  </send>
  <nop><action><exec play_pcap_audio="/usr/share/sip-tester/g711a.pcap"/></action></nop>
  $1
  <send retrans="500">
    <![CDATA[
      BYE [next_url] SIP/2.0
      Via: SIP/2.0/[transport] [local_ip]:[local_port];branch=[branch]
      From: "Soak" <sip:soak[call_number]@[local_ip]:[local_port]>;tag=[pid]SIPpTag00[call_number]
      To: <sip:orvia@[remote_ip]:[remote_port]>[peer_tag_param]
      Call-ID: [call_id]
      CSeq: 2 BYE
      Max-Forwards: 70
      Content-Length: 0
    ]]>
  </send>
  <recv response="200" crlf="true"/>
</scenario>
XML
}
scenario '<pause milliseconds="6000"/>' >"$work/message.xml"
scenario '<pause distribution="uniform" min="0" max="6000"/>' >"$work/random.xml"

"$bin" /service >"$work/orvia.out" 2>"$work/orvia.err" &
orvia_pid=$!
for _ in $(seq 1 300); do
    grep -q "Line $((lines + 1)) on device" "$work/orvia.out" && break
    kill -0 "$orvia_pid" 2>/dev/null || { cat "$work/orvia.out" "$work/orvia.err" >&2; exit 1; }
    sleep 0.1
done

sample() {  # seconds RSS(kB) fds threads messages
    local rss threads fds messages
    rss=$(awk '/^VmRSS:/ { print $2 }' "/proc/$orvia_pid/status")
    threads=$(awk '/^Threads:/ { print $2 }' "/proc/$orvia_pid/status")
    fds=$(ls "/proc/$orvia_pid/fd" | wc -l)
    messages=$(ls "$work/data/MailBoxes" | grep -c 'ICM.*\.wav$' || true)
    echo "$SECONDS $rss $fds $threads $messages"
}

SECONDS=0
per_line=$((calls / lines))
for i in $(seq 0 $((lines - 1))); do
    (cd "$work" && exec sipp -sf message.xml -m "$per_line" -l 1 -i 127.0.0.1 -mi 127.0.0.1 \
        -p $((base - 200 + 2 * i)) -mp $((base - 1000 + 20 * i)) -nostdin -timeout 7200s \
        127.0.0.1:$((base + i)) >"$work/sipp$i.out" 2>&1) &
    sipp_pids+=($!)
done
(cd "$work" && exec sipp -sf random.xml -m "$aborts" -l 1 -i 127.0.0.1 -mi 127.0.0.1 \
    -p $((base - 199)) -mp $((base - 1500)) -nostdin -timeout 7200s \
    127.0.0.1:$((base + lines)) >"$work/sipp-random.out" 2>&1) &
sipp_pids+=($!)

echo "seconds rss_kB fds threads messages" >"$work/samples"
while :; do
    sample >>"$work/samples"
    running=0
    for pid in "${sipp_pids[@]}"; do kill -0 "$pid" 2>/dev/null && running=1; done
    [ "$running" = 0 ] && break
    sleep 10
done
failed=0
for pid in "${sipp_pids[@]}"; do wait "$pid" || failed=$((failed + 1)); done
sleep 2  # the last recordings are levelled
sample >>"$work/samples"

start_ns=$(date +%s%N)
kill -TERM "$orvia_pid"
wait "$orvia_pid" || true
stop_ms=$((($(date +%s%N) - start_ns) / 1000000))
orvia_pid=""

python3 - "$work" "$calls" "$aborts" "$lines" "$failed" "$stop_ms" <<'PY'
import os, struct, sys
work = sys.argv[1]
calls, aborts, lines, failed, stop_ms = map(int, sys.argv[2:7])
rows = [list(map(int, l.split())) for l in open(os.path.join(work, "samples")).read().split("\n")[1:] if l.strip()]
box = os.path.join(work, "data", "MailBoxes")
waves = sorted(f for f in os.listdir(box) if f.endswith(".wav") and " ICM" in f)
def audio_seconds(data):
    """Seconds of 16-bit mono audio in a valid WAVE file whose data chunk runs
    to its end and whose sizes are exact; None for anything else."""
    if len(data) < 12 or data[0:4] != b"RIFF" or data[8:12] != b"WAVE":
        return None
    if struct.unpack("<I", data[4:8])[0] != len(data) - 8:
        return None
    at, fmt = 12, None
    while at + 8 <= len(data):
        chunk, size = data[at:at + 4], struct.unpack("<I", data[at + 4:at + 8])[0]
        if chunk == b"fmt ":
            fmt = struct.unpack("<HHIIHH", data[at + 8:at + 24])
        if chunk == b"data":
            if fmt is None or fmt[0] != 1 or at + 8 + size != len(data):
                return None
            return size / fmt[4] / fmt[2]
        at += 8 + size + (size & 1)
    return None

bad, seconds = [], 0.0
for name in waves:
    length = audio_seconds(open(os.path.join(box, name), "rb").read())
    if length is None or not os.path.exists(os.path.join(box, name[:-4] + ".ini")):
        bad.append(name)
    else:
        seconds += length
inis = [f for f in os.listdir(box) if f.endswith(".ini") and " ICM" in f]
log = "".join(open(os.path.join(work, "data", "Logs", f), errors="replace").read()
              for f in os.listdir(os.path.join(work, "data", "Logs")))
# Skip the first minute (start-up, buffers and caches filling) for "flat".
warm = [r for r in rows if r[0] >= 60] or rows
print(f"Soak: {calls} calls leaving 6 s messages on {lines} SIP lines, {aborts} hung up at random "
      f"on one more; {rows[-1][0]} s")
print(f"sipp runs that failed: {failed}")
print(f"messages kept: {len(waves)} ({seconds:.0f} s of audio), property files: {len(inis)}, "
      f"invalid or unpaired: {len(bad)} {bad[:5]}")
for label, col in (("RSS (kB)", 1), ("open descriptors", 2), ("threads", 3)):
    values = [r[col] for r in warm]
    print(f"{label}: after the first minute {values[0]}, at the end {values[-1]}, "
          f"lowest {min(values)}, highest {max(values)}")
print(f"SIGTERM to exit: {stop_ms} ms; \"Orvia Exit\" logged: {'Orvia Exit' in log}")
print("samples (seconds, RSS kB, descriptors, threads, messages):")
step = max(1, len(rows) // 12)
for r in rows[::step] + ([rows[-1]] if (len(rows) - 1) % step else []):
    print("  ", *r)
sys.exit(1 if bad or failed else 0)
PY
