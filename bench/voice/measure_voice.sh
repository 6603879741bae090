#!/usr/bin/env bash
# Figures for a setting of Merlin's Italian voice, from recordings made with espeak-ng's command
# line: speaking rate, mean pitch, the silence between words, and whether each number word from
# 1 to 31 comes out whole. Listening is not possible here, so the choice rests on these figures.
#
# Usage: bench/voice/measure_voice.sh [-v VARIANT] [-p PITCH] [-r RANGE] [-s RATE] [-g GAP]
#                                     [--words]
#        bench/voice/measure_voice.sh --candidates [--words]
#   VARIANT: a file of espeak-ng-data/voices/!v (m3, klatt, ...), or - for the plain "it" voice;
#   PITCH and RANGE 0-99 (50 is the voice's own); RATE in words a minute; GAP in units of 10 ms.
#   Defaults: the game's settings today (assistant/speechengine.cpp). --candidates measures
#   those and each candidate below, one row each; --words adds a row per number word.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
# Debian's interpreter: its numpy is python3-numpy.
python=/usr/bin/python3

today="- 50 50 150 0" # voice "it", only espeakRATE set: the rest are espeak-ng's defaults
# Each: variant pitch range rate gap. Variants with an "echo" line (m2, f2...) are left out: the
# game asks for no final pause, which cuts the echo's tail (try -v m2 to see it).
candidates=(
    "$today"
    "m6 40 55 135 3"
    "m3 38 55 135 3"
    "m7 36 55 135 3"
    "m1 42 55 135 3"
    "klatt 40 55 135 3"
)

variant=- pitch=50 range=50 rate=150 gap=0 mode=one words=
while [ $# -gt 0 ]; do
    case $1 in
    -v) variant=$2; shift ;;
    -p) pitch=$2; shift ;;
    -r) range=$2; shift ;;
    -s) rate=$2; shift ;;
    -g) gap=$2; shift ;;
    --candidates) mode=all ;;
    --words) words=--words ;;
    *) sed -n '6,12p' "${BASH_SOURCE[0]}" >&2; exit 2 ;;
    esac
    shift
done

for tool in espeak-ng "$python"; do
    command -v "$tool" >/dev/null ||
        { echo "no $tool: see scripts/debian-packages.txt" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The texts as the game says them: the greeting; the correction, which the game speaks as two
# requests (the lead, then the word alone), and for comparison as one sentence; every number word.
quoted() { # the string literals of a function of exercise/reactions.cpp, joined
    sed -n "/QString $1()/,/^}/p" "$root/exercise/reactions.cpp" | grep -o '"[^"]*"' | tr -d '"\n'
}
greeting=$(quoted greeting)
lead=$(quoted correctionLead)
mapfile -t numbers < <("$python" "$here/voice_figures.py" words "$root")
[ ${#numbers[@]} = 31 ] || { echo "could not read the number words" >&2; exit 1; }
{
    printf 'greeting\tgreeting\t%s\n' "$greeting"
    printf 'lead\tsentence\t%s\n' "$lead"
    for n in 7 17 23 28 31; do
        printf 'sentence%d\tsentence\t%s %s\n' "$n" "$lead" "${numbers[n - 1]}"
    done
    for n in "${!numbers[@]}"; do printf 'word%d\tword\t%s\n' $((n + 1)) "${numbers[n]}"; done
} >"$work/texts.tsv"

render() { # DIR VARIANT PITCH RANGE RATE GAP
    local dir=$1 voice=it
    [ "$2" = - ] || voice=it+$2
    mkdir -p "$dir"
    cp "$work/texts.tsv" "$dir/"
    echo "$2 $3 $4 $5 $6" >"$dir/settings.txt"
    # The command line has no option for the pitch range: espeak-ng's embedded command
    # "\001<n>R" at the start of the text sets the same value as espeak_SetParameter(espeakRANGE)
    # (it also puts 9 ms of silence first, so it is left out at the default of 50).
    local prefix=
    [ "$4" = 50 ] || prefix=$(printf '\001%sR' "$4")
    local options=(-v "$voice" -p "$3" -s "$5" -g "$6")
    while IFS=$'\t' read -r id kind text; do
        # -z: no final pause, as the game's espeak_Synth() call asks for no espeakENDPAUSE.
        espeak-ng "${options[@]}" -z -w "$dir/$id.wav" "$prefix$text"
        if [ "$kind" = word ]; then
            espeak-ng "${options[@]}" -w "$dir/$id.ref.wav" "$prefix$text"
            espeak-ng "${options[@]}" -q -x "$text" >"$dir/$id.pho"
        fi
    done <"$work/texts.tsv"
}

dirs=()
if [ "$mode" = all ]; then
    for i in "${!candidates[@]}"; do
        # shellcheck disable=SC2086 # a candidate is five words
        render "$work/$i" ${candidates[i]}
        dirs+=("$work/$i")
    done
else
    render "$work/one" "$variant" "$pitch" "$range" "$rate" "$gap"
    dirs+=("$work/one")
fi

cat <<'EOF'
Silence: 5 ms frames below -40 dB of the loudest 5 ms frame of the text (holes under 15 ms
inside the sound filled). Pitch, timbre, rate and gaps over the greeting and the correction
(the lead alone, and the lead with 7, 17, 23, 28, 31).
  mean F0, p10-p90: voiced 30 ms windows; periodicity: their median normalised autocorrelation
  (rough, creaky voices lower); centroid: of the voiced windows' summed spectrum (lower darker).
  syl/s span: syllables / first to last sound, pauses included; sounding: / time above silence.
  word gap: the silence at each word start inside a clause (a stop's closure there counts), from
  the library's word events; no gap: boundaries without any; clause pause: after punctuation.
Number words alone, as the game says them: ms/syl is the median; last stretch: the sound after
the word's last silence; whole: ends as with espeak-ng's final pause, in the command line's WAV
and the library's sound, not while sounding, phonemes of as many syllables as the text, ending
on its vowel, no syllable under 0.6 of the median, a last stretch of 80 ms or more.
CLI = library: the command line's WAV against libespeak-ng called as the game calls it.
EOF
echo
"$python" "$here/voice_figures.py" table ${words:+"$words"} "${dirs[@]}"
