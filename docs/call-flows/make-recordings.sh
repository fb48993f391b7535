#!/bin/sh
# Makes the recordings of the worked examples from their scripts: each
# OGMs/<name>.txt becomes OGMs/<name>.wav, and hello.txt (the caller's voice
# of the call scripts) becomes hello.wav. Spoken by espeak-ng, stored as
# 8000 Hz mono GSM 6.10 WAVE files, which Orvia plays and which stay small.
# Needs espeak-ng and sox (Debian packages of the same names).
set -eu
cd "$(dirname "$0")"
speak() {
    espeak-ng -v en -s 150 -w "$2.tmp.wav" -f "$1"
    sox "$2.tmp.wav" -r 8000 -c 1 -e gsm-full-rate "$2"
    rm -f "$2.tmp.wav"
}
for text in */OGMs/*.txt; do
    speak "$text" "${text%.txt}.wav"
done
speak hello.txt hello.wav
