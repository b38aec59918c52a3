#!/usr/bin/env bash
# The HEX files the window tests open, as a board's owner would bring them:
#   board.kv2, board.hex  a set-up board's files, as the tool saves them
#                         (board.hex: the tool's own 214 bytes);
#   memory.hex            the controller's whole program memory read back, 32 KiB:
#                         random firmware bytes with board.hex at its places
#                         (0x0000 and 0x7C00), an extended linear address
#                         record, the data lines shuffled, lower-case digits,
#                         LF line ends, as srec_cat (srecord) writes them;
#   recovered.kv2         what `korvalset24-cli import-hex memory.hex` recovers;
#   broken.hex            memory.hex with the checksum of its line 3 wrong;
#   notable.hex           the firmware without the table at 0x7C00-0x7C3F.
# usage: make_hex_dumps.sh CLI OUTPUT_FOLDER
# The CLI is started through $KORVAL_EMULATOR when set (Wine for the Windows build).
set -euo pipefail
cli=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
out=$2
read -r -a launch <<<"${KORVAL_EMULATOR:-}"
run() { "${launch[@]}" "$cli" "$@"; }
command -v srec_cat >/dev/null || { echo "srec_cat (paquet srecord) manque" >&2; exit 1; }
mkdir -p "$out"
cd "$out"
rm -f ./*.hex ./*.kv2 ./*.bin

# Not the factory values: a half step, a backlash, a PWM entry, the PEC slices.
run defaults -o factory.kv2
run set factory.kv2 V2AD=16/2 JeuAD=123 Pwm3=200 TranchePec=7 -o board.kv2
[ "$(wc -c <board.hex)" -eq 214 ] || { echo "board.hex n'a pas 214 octets" >&2; exit 1; }

# A fixed random start, so that a failure repeats.
perl -e 'srand(2426); print map { chr int rand 256 } 1 .. 32768' >firmware.bin
srec_cat firmware.bin -binary -exclude -within board.hex -intel board.hex -intel \
    -o ordered.hex -intel -address-length=4 -output-block-size=16
grep -q '^:02000004' ordered.hex || { echo "pas d'enregistrement de type 04" >&2; exit 1; }
# The address record first and the end record last, every data line elsewhere.
{
    head -n 1 ordered.hex
    sed '1d;$d' ordered.hex |
        shuf --random-source=<(perl -e 'srand(26); print map { chr int rand 256 } 1 .. 65536')
    tail -n 1 ordered.hex
} | tr 'A-F' 'a-f' | tr -d '\r' >memory.hex
rm ordered.hex
[ "$(wc -l <memory.hex)" -gt 2000 ] || { echo "memory.hex est trop court" >&2; exit 1; }
run import-hex memory.hex -o recovered.kv2
cmp recovered.kv2 board.kv2 >/dev/null || { echo "recovered.kv2 diffère de board.kv2" >&2; exit 1; }

# Line 3 with its checksum one more than the right one.
awk 'NR == 3 {
        sum = sprintf("%02x", (("0x" substr($0, length($0) - 1)) + 1) % 256)
        $0 = substr($0, 1, length($0) - 2) sum
     } { print }' memory.hex >broken.hex
cmp -s broken.hex memory.hex && { echo "broken.hex n'est pas cassé" >&2; exit 1; }

srec_cat firmware.bin -binary -exclude 0x7C00 0x7C40 -o notable.hex -intel -address-length=4 \
    -output-block-size=16
rm -f firmware.bin factory.kv2 factory.hex recovered.hex
echo "images HEX dans $out : $(ls)"
