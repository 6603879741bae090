#!/usr/bin/python3
"""Figures for Merlin's voice, from WAV files rendered by measure_voice.sh.

  voice_figures.py words ROOT          the number words 1 to 31, one a line, as the game writes them
  voice_figures.py table [--words] DIR...  one row of figures per rendered setting (DIR)

Each DIR holds settings.txt (variant pitch range rate gap), texts.tsv (id, kind, text) and, per
text, ID.wav (no final pause, as the game synthesises), ID.ref.wav (with espeak-ng's final pause)
and ID.pho (espeak-ng -q -x).

Silence: a 5 ms frame whose RMS is below -40 dB relative to the loudest 5 ms frame of its text
(espeak-ng's pauses and stop closures are digital silence, so the threshold hardly matters).
"""

import ctypes
import os
import pickle
import re
import statistics
import sys
import wave
from pathlib import Path

import numpy as np

FRAME_S = 0.005
SILENCE_DB = -40.0
VOWELS = "aeiouàèéìíòóùú"
STRONG = "aeoàèéòó"


# --- Syllables -------------------------------------------------------------------------------

def syllables(letters):
    """Vowel groups, a group splitting between two strong vowels (a, e, o): "ciao" 2, "vuoi" 1.
    No stress is known, so "due" and "magia" count one syllable short; the same rule is applied
    to espeak-ng's phonemes, so the comparison between the two stays fair."""
    count, previous = 0, ""
    for c in letters.lower():
        if c not in VOWELS:
            previous = ""
            continue
        if not previous or (previous in STRONG and c in STRONG):
            count += 1
        previous = c
    return count


def phoneme_letters(pho):
    """espeak-ng's mnemonics as letters, for syllables(): stress and length marks go, and so does
    "@-", the short vowel espeak-ng puts into "tr" and "dr" clusters, not a syllable."""
    return "".join(c.lower() for c in pho.replace("@-", "") if c.isalpha())


# --- Number words from the game's own table ------------------------------------------------

def number_words(root):
    """The words for 1 to 31 as exercise/numlett.cpp builds them: its table of words, and its
    rule that the tens word drops its vowel before "uno" and "otto". Checked against the words
    that tests/exercise/tst_numlett.cpp expects."""
    source = (Path(root) / "exercise/numlett.cpp").read_text(encoding="utf-8")
    table = re.search(r"parole\s*=\s*\{(.*?)\};", source, re.S).group(1)
    parole = re.findall(r'"([^"]*)"', table)

    def word(n):
        if n <= 20:
            return parole[n + 1]
        tens, units = divmod(n, 10)
        head = parole[tens + 19]
        if units in (1, 8):
            head = head[:-1]
        return head + (parole[units + 1] if units else "")

    words = [word(n) for n in range(1, 32)]
    tests = (Path(root) / "tests/exercise/tst_numlett.cpp").read_text(encoding="utf-8")
    for value, expected in re.findall(r'<<\s*([0-9]+)\.0\s*<<\s*"([a-z]*)"', tests):
        if 1 <= int(value) <= 31 and words[int(value) - 1] != expected:
            sys.exit(f"numlett's rule out of step with its test: {value} is not {expected}")
    return words


# --- Audio -----------------------------------------------------------------------------------

def read_wav(path):
    with wave.open(str(path)) as w:
        pcm = np.frombuffer(w.readframes(w.getnframes()), dtype="<i2").astype(np.float64)
        return pcm, w.getframerate()


def frames(pcm, rate):
    n = int(rate * FRAME_S)
    usable = len(pcm) // n * n
    rms = np.sqrt((pcm[:usable].reshape(-1, n) ** 2).mean(axis=1))
    if len(pcm) > usable:
        rms = np.append(rms, np.sqrt((pcm[usable:] ** 2).mean()))
    return rms


def sounding(pcm, rate):
    rms = frames(pcm, rate)
    loud = rms > rms.max() * 10 ** (SILENCE_DB / 20)
    # At a low pitch a 5 ms frame can fall between two glottal pulses: holes under 15 ms inside
    # the sound are no pause anyone hears.
    for start, n in runs(~loud):
        if n < 3 and start > 0 and start + n < len(loud):
            loud[start:start + n] = True
    return loud


def f0_track(pcm, rate):
    """Normalised cross-correlation of each 30 ms window (every 10 ms) with itself shifted by
    1/400 to 1/50 s; a window is voiced when the best shift correlates above 0.45, in a stretch
    of at least three such windows. Returns (centre s, F0 Hz, correlation) triples; the
    correlation is the periodicity figure (rough, creaky voices score lower). Normalising each
    shifted copy by its own energy keeps decaying word ends voiced."""
    win, hop = int(0.03 * rate), int(0.01 * rate)
    lo, hi = int(rate / 400), int(rate / 50)
    loud = np.abs(pcm).max() * 10 ** (-40 / 20)
    size = 1 << int(np.ceil(np.log2(win + hi + win)))
    energy = np.concatenate([[0.0], np.cumsum(pcm ** 2)])
    track = []
    for start in range(0, len(pcm) - win - hi, hop):
        a = pcm[start:start + win]
        if np.sqrt((a ** 2).mean()) < loud:
            continue
        b = pcm[start:start + win + hi]
        cross = np.fft.irfft(np.conj(np.fft.rfft(a, size)) * np.fft.rfft(b, size), size)[:hi + 1]
        shifted = energy[start + win:start + win + hi + 1] - energy[start:start + hi + 1]
        nccf = cross / np.sqrt((energy[start + win] - energy[start]) * np.maximum(shifted, 1e-9))
        segment = nccf[lo:hi]
        best = int(np.argmax(segment))
        if segment[best] < 0.45:
            continue
        # Prefer the shortest shift that is nearly as good: guards against halving F0.
        for i in range(1, len(segment) - 1):
            peak = segment[i - 1] <= segment[i] >= segment[i + 1]
            if peak and segment[i] >= 0.9 * segment[best]:
                best = i
                break
        lag = best + lo
        if 0 < best < len(segment) - 1:
            x, y, z = segment[best - 1], segment[best], segment[best + 1]
            lag += 0.5 * (x - z) / (x - 2 * y + z) if (x - 2 * y + z) != 0 else 0
        track.append((start // hop, rate / lag, float(segment[best])))
    # A vowel lasts more than 30 ms: shorter voiced stretches are a consonant's noise misread.
    kept, stretch = [], []
    for frame, hz, peak in track + [(None, None, None)]:
        if stretch and (frame is None or frame != stretch[-1][0] + 1):
            if len(stretch) >= 3:
                kept += stretch
            stretch = []
        if frame is not None:
            stretch.append((frame, hz, peak))
    return [((frame * hop + win / 2) / rate, hz, peak) for frame, hz, peak in kept]


def centroid(pcm, rate, track):
    """Spectral centroid of the voiced windows' summed power spectrum, in Hz: lower is darker,
    warmer; higher brighter, sharper."""
    win = int(0.03 * rate)
    power = 0.0
    for centre, _, _ in track:
        start = int(round(centre * rate - win / 2))
        power = power + np.abs(np.fft.rfft(pcm[start:start + win] * np.hanning(win))) ** 2
    return float((np.fft.rfftfreq(win, 1 / rate) * power).sum() / power.sum())


def runs(mask):
    """(start frame, length) of each run of True."""
    out, start = [], None
    for i, m in enumerate(list(mask) + [False]):
        if m and start is None:
            start = i
        elif not m and start is not None:
            out.append((start, i - start))
            start = None
    return out


# --- Word boundaries from the library --------------------------------------------------------

class _Event(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("unique_identifier", ctypes.c_uint),
                ("text_position", ctypes.c_int), ("length", ctypes.c_int),
                ("audio_position", ctypes.c_int), ("sample", ctypes.c_int),
                ("user_data", ctypes.c_void_p), ("id", ctypes.c_char * 8)]


class Library:
    """libespeak-ng driven the way assistant/speechengine.cpp drives it, for what the command
    line cannot tell: where each word starts. Its sound is compared with the command line's
    WAV, so that the word starts are known to belong to the same sound. Each text is spoken by
    a fresh child process: the library carries state (its noise and flutter) from one text to
    the next, as the command line, which starts afresh, does not."""

    _CALLBACK = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.POINTER(ctypes.c_short), ctypes.c_int,
                                 ctypes.POINTER(_Event))

    def synth(self, settings, text):
        read_end, write_end = os.pipe()
        pid = os.fork()
        if pid == 0:
            try:
                os.close(read_end)
                with os.fdopen(write_end, "wb") as out:
                    pickle.dump(self._synth_here(settings, text), out)
            finally:
                os._exit(0)
        os.close(write_end)
        with os.fdopen(read_end, "rb") as source:
            data = source.read()
        os.waitpid(pid, 0)
        pcm, words = pickle.loads(data)
        return np.frombuffer(pcm, dtype=np.int16).astype(np.float64), words

    def _synth_here(self, settings, text):
        lib = ctypes.CDLL("libespeak-ng.so.1")
        lib.espeak_Initialize(2, 40, None, 0)  # AUDIO_OUTPUT_SYNCHRONOUS, 40 ms chunks as the game
        chunks, words = [], []

        def on_synth(wav, samples, events):
            if samples > 0:
                chunks.append(ctypes.string_at(wav, samples * 2))
            i = 0
            while events[i].type != 0:  # espeakEVENT_LIST_TERMINATED
                if events[i].type == 1:  # espeakEVENT_WORD; text_position counts from 1
                    words.append((events[i].sample, events[i].text_position - 1, events[i].length))
                i += 1
            return 0

        callback = self._CALLBACK(on_synth)
        lib.espeak_SetSynthCallback(callback)
        variant, pitch, pitch_range, rate, gap = settings
        name = "it" if variant in ("", "-") else f"it+{variant}"
        if lib.espeak_SetVoiceByName(name.encode()) != 0:
            raise SystemExit(f"no voice {name}")
        # espeakRATE, espeakPITCH, espeakRANGE, espeakWORDGAP
        for parameter, value in ((1, rate), (3, pitch), (4, pitch_range), (7, gap)):
            lib.espeak_SetParameter(parameter, int(value), 0)
        data = text.encode("utf-8")
        # POS_CHARACTER, espeakCHARS_UTF8 and no espeakENDPAUSE: what the game asks for.
        lib.espeak_Synth(data, len(data) + 1, 0, 1, 0, 1, None, None)
        return b"".join(chunks), words


# --- One setting -----------------------------------------------------------------------------

def measure(directory, library):
    directory = Path(directory)
    settings = directory.joinpath("settings.txt").read_text().split()
    settings = [settings[0]] + [int(v) for v in settings[1:]]
    texts = [line.split("\t")
             for line in directory.joinpath("texts.tsv").read_text(encoding="utf-8").splitlines()]

    f0, periodicity, rate_syl, rate_span, rate_sound, gaps, pauses = [], [], 0, 0.0, 0.0, [], []
    agreement = "identical"
    centroids = []
    words = []
    for ident, kind, text in texts:
        pcm, sr = read_wav(directory / f"{ident}.wav")
        lib_pcm, lib_words = library.synth(settings, text)
        # The command line's range command adds a short silence first, and its WAV misses the
        # library's last samples (a few of silence; more of an echo's tail); the rest must match
        # sample for sample, or at least in its timing: the leading silence shifts the Klatt
        # voices' noise, and two 5 ms frames may then fall either side of the silence threshold.
        lead = max(0, int(np.argmax(np.abs(pcm) > 0) - np.argmax(np.abs(lib_pcm) > 0)))
        common = min(len(pcm) - lead, len(lib_pcm))
        matches = 0 <= lead < sr // 20 and -16 <= len(lib_pcm) - (len(pcm) - lead) <= sr // 10
        if matches and not np.array_equal(pcm[lead:lead + common], lib_pcm[:common]):
            ours, theirs = sounding(pcm[lead:], sr), sounding(lib_pcm, sr)
            timing = min(len(ours), len(theirs))
            matches = np.count_nonzero(ours[:timing] != theirs[:timing]) <= 2
            agreement = "same timing" if matches and agreement == "identical" else agreement
        if not matches:
            agreement = "NO"
            print(f"{describe(settings)}: {ident}: the library's sound differs from the command"
                  " line's; its word boundaries are not used", file=sys.stderr)
        lib_words = [(sample + lead, position, length)
                     for sample, position, length in lib_words] if matches else []
        sound = sounding(pcm, sr)
        lit = np.nonzero(sound)[0]
        first, last = lit[0], lit[-1]
        syl = syllables(text)
        if kind in ("greeting", "sentence"):
            rate_syl += syl
            rate_span += (last - first + 1) * FRAME_S
            rate_sound += sound.sum() * FRAME_S
            track = f0_track(pcm, sr)
            f0 += [hz for _, hz, _ in track]
            periodicity += [peak for _, _, peak in track]
            centroids.append(centroid(pcm, sr, track))
            # The silence at each word start, if the word follows a word of the same clause.
            silent = ~sound
            for sample, position, length in lib_words[1:]:
                before = text[:position].rstrip()
                frame = min(int(sample / (sr * FRAME_S)), len(silent) - 1)
                gap = 0.0
                # espeak-ng's word event falls within a few ms of the pause it puts before the word.
                for start, n in runs(silent):
                    if start - 3 <= frame <= start + n + 3:
                        gap = n * FRAME_S * 1000
                        break
                (pauses if before and before[-1] in ".,;:!?" else gaps).append(gap)
        if kind == "word":
            ref, _ = read_wav(directory / f"{ident}.ref.wav")
            ref_lit = np.nonzero(sounding(ref, sr))[0]
            pho = directory.joinpath(f"{ident}.pho").read_text(encoding="utf-8").strip()
            letters = phoneme_letters(pho)
            vowels = "".join(c for c in letters if c in VOWELS)
            # The stretch of sound after the word's last pause or stop closure: its last syllable.
            final_ms = runs(sound)[-1][1] * FRAME_S * 1000
            problems = []
            if ref_lit[-1] != last:
                problems.append("sound ends sooner than with the final pause")
            lib_sound = sounding(lib_pcm, sr)
            if np.nonzero(lib_sound)[0][-1] + lead // int(sr * FRAME_S) < ref_lit[-1] - 1:
                problems.append("the library's sound (what the game plays) ends sooner than"
                                " with the final pause")
            if lib_sound[-1]:
                problems.append("the library's sound ends while sounding")
            if sound[-1]:
                problems.append("file ends while sounding")
            if syllables(letters) != syl:
                problems.append(f"phonemes {pho} have {syllables(letters)} syllables, text {syl}")
            if not vowels or vowels[-1] != [c for c in text if c in VOWELS][-1]:
                problems.append(f"last phoneme vowel of {pho} is not the word's")
            words.append({"text": text, "pho": pho, "syl": syl,
                          "ms": (last - first + 1) * FRAME_S * 1000, "final_ms": final_ms,
                          "problems": problems})

    ms_per_syl = [w["ms"] / w["syl"] for w in words]
    middle = statistics.median(ms_per_syl)
    for w, m in zip(words, ms_per_syl):
        w["ms_per_syl"] = m
        if m < 0.6 * middle:  # long is no harm: one-syllable words get the final lengthening
            w["problems"].append(f"{m:.0f} ms a syllable against a median of {middle:.0f}")
        if w["final_ms"] < 80:
            w["problems"].append(f"its last stretch of sound lasts only {w['final_ms']:.0f} ms")

    row = {
        "setting": settings,
        "f0_mean": statistics.fmean(f0), "f0_p10": float(np.percentile(f0, 10)),
        "f0_p90": float(np.percentile(f0, 90)), "periodicity": statistics.median(periodicity),
        "centroid": statistics.median(centroids),
        "syl_s_span": rate_syl / rate_span, "syl_s_sound": rate_syl / rate_sound,
        "gap_median": statistics.median(gaps) if gaps else float("nan"),
        "gap_min": min(gaps) if gaps else float("nan"),
        "gap_zero": sum(1 for g in gaps if g == 0), "gap_count": len(gaps),
        "pause_median": statistics.median(pauses) if pauses else 0.0,
        "word_ms_syl": middle, "final_min": min(w["final_ms"] for w in words),
        "whole": sum(1 for w in words if not w["problems"]), "words": words,
        "agreement": agreement,
    }
    return row


def describe(setting):
    variant, pitch, pitch_range, rate, gap = setting
    voice = "it" if variant in ("", "-") else f"it+{variant}"
    return f"{voice} p{pitch} r{pitch_range} s{rate} g{gap}"


COLUMNS = ["setting", "mean F0 Hz", "F0 p10–p90 Hz", "periodicity", "centroid Hz",
           "syl/s span", "syl/s sounding", "word gap median / min ms", "no gap",
           "clause pause median ms", "number word ms/syl", "shortest last stretch ms",
           "words whole", "CLI = library"]


def cells(r):
    return [describe(r["setting"]), f"{r['f0_mean']:.0f}", f"{r['f0_p10']:.0f}–{r['f0_p90']:.0f}",
            f"{r['periodicity']:.2f}", f"{r['centroid']:.0f}",
            f"{r['syl_s_span']:.2f}", f"{r['syl_s_sound']:.2f}",
            f"{r['gap_median']:.0f} / {r['gap_min']:.0f}", f"{r['gap_zero']}/{r['gap_count']}",
            f"{r['pause_median']:.0f}", f"{r['word_ms_syl']:.0f}", f"{r['final_min']:.0f}",
            f"{r['whole']}/{len(r['words'])}", r["agreement"]]


def print_row(values):
    print("| " + " | ".join(values) + " |")


def print_table(rows, per_word):
    print_row(COLUMNS)
    print_row(["---"] * len(COLUMNS))
    for r in rows:
        print_row(cells(r))
    for r in rows:
        for w in (w for w in r["words"] if w["problems"]):
            print(f"  {describe(r['setting'])}: {w['text']}: " + "; ".join(w["problems"]))
        if per_word:
            print(f"\n{describe(r['setting'])}:")
            print_row(["word", "phonemes", "syllables", "ms", "ms/syl", "last stretch ms"])
            print_row(["---"] * 6)
            for w in r["words"]:
                print_row([w["text"], f"`{w['pho']}`", str(w["syl"]), f"{w['ms']:.0f}",
                           f"{w['ms_per_syl']:.0f}", f"{w['final_ms']:.0f}"])


def main(argv):
    if len(argv) == 3 and argv[1] == "words":
        print("\n".join(number_words(argv[2])))
        return
    if len(argv) >= 3 and argv[1] == "table":
        per_word = "--words" in argv
        dirs = [a for a in argv[2:] if a != "--words"]
        library = Library()
        print_table([measure(d, library) for d in dirs], per_word)
        return
    sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv)
