#!/usr/bin/env python3
"""Test signal and checks for the Ardour host test (standard library only).

  check.py signal FACTS            write the test signal into the carrier files
  check.py identity FACTS          what Ardour reports of the plug-in
  check.py render FACTS SESSION    renders under two programs, the edit, the saved chunk
  check.py reopen RENDER_FACTS REOPEN_FACTS SNAPSHOT
                                   the state after closing and reopening

Every check prints one line; a failed check ends with exit status 1.
"""
import base64
import math
import os
import struct
import sys
import xml.etree.ElementTree as ET
from array import array

RATE = 48000
LOW_HZ = 110.0
HIGH_HZ = 6000.0
AMPLITUDE = 0.1          # of each sine: -20 dBFS
ANALYSIS_START = 1.0     # seconds: skip the smoothing of the cutoff and the filter transients

# What the plug-in must show to its host.
EFFECT_NAME = "KIV-Filter"
VENDOR = "KIV-Velmora"
UNIQUE_ID = 0x3539376F
PARAMETER_NAMES = ["", "cutoff", "resonance", "filtertype", "lfointensity", "lforate", "lfosync",
                   "lfowaveform", "volume", "inputdrive", "envelopeintensity", "envelopespeed",
                   "lfowidth", "Midi Learn", "miditrigger"]
PROGRAM_NAMES = ["Clean Set Up", "Lfo Sine 1/4 LP", "Lfo 2/1 BP", "Fast Env Guitar", "Random Lfo  HP",
                 "Inverted  BP Env", "Noisy Mod BP", "SQ Lfo 1/16 LP", "Digital Artefacts HP",
                 "Lfo Reso  1/1 BP"]
CUTOFF, FILTERTYPE, LFOINTENSITY, RESONANCE = 1, 3, 4, 2

failures = []


def check(ok, text, quiet=False):
    """Records one check; a quiet check prints only when it fails."""
    if not ok or not quiet:
        print(("  ok    " if ok else "  FAIL  ") + text)
    if not ok:
        failures.append(text)
    return ok


def finish(stage):
    if failures:
        print(f"ardour test, {stage}: {len(failures)} check(s) failed", file=sys.stderr)
        sys.exit(1)


def read_facts(path):
    facts = {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            key, _, value = line.rstrip("\n").partition("\t")
            facts[key] = value
    if "error" in facts:
        print(f"ardour test: Ardour script reported: {facts['error']}", file=sys.stderr)
        sys.exit(1)
    return facts


def read_wav(path):
    """Mono or multi-channel 32-bit float WAV -> (rate, list of channel arrays)."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:4] != b"RIFF" or data[8:12] != b"WAVE":
        raise ValueError(f"{path}: not a WAV file")
    pos, fmt, samples = 12, None, None
    while pos + 8 <= len(data):
        cid, size = data[pos:pos + 4], struct.unpack_from("<I", data, pos + 4)[0]
        body = data[pos + 8:pos + 8 + size]
        if cid == b"fmt ":
            fmt = struct.unpack_from("<HHIIHH", body)
        elif cid == b"data":
            samples = body
        pos += 8 + size + (size & 1)
    if fmt is None or samples is None:
        raise ValueError(f"{path}: no fmt or data chunk")
    tag, channels, rate, _, _, bits = fmt
    if tag not in (3, 0xFFFE) or bits != 32:
        raise ValueError(f"{path}: not 32-bit float (format {tag}, {bits} bits)")
    values = array("f")
    values.frombytes(samples[:len(samples) // 4 * 4])
    return rate, [values[c::channels] for c in range(channels)]


def write_wav(path, rate, values):
    payload = array("f", values).tobytes()
    fmt = struct.pack("<HHIIHH", 3, 1, rate, rate * 4, 4, 32)
    with open(path, "wb") as f:
        f.write(b"RIFF" + struct.pack("<I", 4 + 8 + len(fmt) + 8 + len(payload)) + b"WAVE")
        f.write(b"fmt " + struct.pack("<I", len(fmt)) + fmt)
        f.write(b"data" + struct.pack("<I", len(payload)) + payload)


def test_signal(length):
    w_low, w_high = 2 * math.pi * LOW_HZ / RATE, 2 * math.pi * HIGH_HZ / RATE
    return [AMPLITUDE * (math.sin(w_low * n) + math.sin(w_high * n)) for n in range(length)]


_kernels = {}


def tone_amplitude(values, hz):
    """Amplitude of the sine at hz, from a Hann-windowed DFT bin over the analysis window."""
    start = int(ANALYSIS_START * RATE)
    count = len(values) - start
    key = (hz, count)
    if key not in _kernels:
        w = 2 * math.pi * hz / RATE
        window = [0.5 - 0.5 * math.cos(2 * math.pi * n / count) for n in range(count)]
        _kernels[key] = ([window[n] * math.cos(w * (start + n)) for n in range(count)],
                         [window[n] * math.sin(w * (start + n)) for n in range(count)],
                         sum(window))
    cos_k, sin_k, norm = _kernels[key]
    segment = values[start:]
    re = sum(map(float.__mul__, map(float, segment), cos_k))
    im = sum(map(float.__mul__, map(float, segment), sin_k))
    return 2 * abs(complex(re, im)) / norm


def rms(values):
    segment = values[int(ANALYSIS_START * RATE):]
    return math.sqrt(sum(v * v for v in segment) / len(segment))


def db(ratio):
    return 20 * math.log10(ratio) if ratio > 0 else -999.0


def measure(facts, name):
    """Per channel: (gain of the low tone, gain of the high tone, output rms)."""
    length = int(facts["seconds"]) * int(facts["sample_rate"])
    result = []
    channels = int(facts.get(f"render.{name}.channels", "0"))
    check(channels == 2, f"render '{name}': Ardour bounced {channels} channels, expected 2", quiet=True)
    for c in range(channels):
        rate, chans = read_wav(facts[f"render.{name}.file.{c}"])
        values = chans[0]
        check(rate == RATE and len(values) == length,
              f"render '{name}' channel {c}: {len(values)} samples at {rate} Hz, expected {length} at {RATE}",
              quiet=True)
        finite = all(math.isfinite(v) for v in values)
        check(finite, f"render '{name}' channel {c}: all samples finite", quiet=True)
        if not finite:
            result.append((0.0, 0.0, 0.0))
            continue
        low = tone_amplitude(values, LOW_HZ) / AMPLITUDE
        high = tone_amplitude(values, HIGH_HZ) / AMPLITUDE
        result.append((low, high, rms(values)))
        print(f"        '{name}' channel {c}: {LOW_HZ:g} Hz {db(low):+6.1f} dB, "
              f"{HIGH_HZ:g} Hz {db(high):+6.1f} dB, rms {rms(values):.4f}")
    return result


def values_of(facts, prefix):
    return [float(facts.get(f"{prefix}.{i}", "nan")) for i in range(len(PARAMETER_NAMES))]


def saved_chunk(session_file):
    """The plug-in's saved chunk in an Ardour session file: (program attribute, XML root)."""
    root = ET.parse(session_file).getroot()
    chunks = [c for c in root.iter("chunk")]
    if not check(len(chunks) == 1, f"{os.path.basename(session_file)}: one saved plug-in chunk (found {len(chunks)})"):
        return None, None
    chunk = chunks[0]
    raw = base64.b64decode(chunk.text or "")
    check(raw[:4] == b"VC2!", "the chunk starts with the binary XML magic")
    size = struct.unpack_from("<I", raw, 4)[0] if len(raw) >= 8 else -1
    check(size == len(raw) - 9, f"the chunk's length field ({size}) is its size minus 9 ({len(raw) - 9})")
    try:
        state = ET.fromstring(raw[8:8 + size].decode("utf-8"))
    except (ET.ParseError, UnicodeDecodeError) as e:
        check(False, f"the chunk's XML text parses ({e})")
        return chunk.get("program"), None
    return chunk.get("program"), state


def check_chunk(session_file, expected_program, expected_cutoff):
    program, state = saved_chunk(session_file)
    check(program == str(expected_program),
          f"Ardour stored the plug-in's current program {program}, expected {expected_program}")
    if state is None:
        return
    check(state.get("curprogram") == str(expected_program),
          f"the chunk's current program is {state.get('curprogram')}, expected {expected_program}")
    programs = state.findall("programs/program")
    check(len(programs) == 10, f"the chunk holds {len(programs)} programs, expected 10")
    if len(programs) == 10:
        names = [p.get("programname") for p in programs]
        check(names == PROGRAM_NAMES, f"the chunk's program names are the factory names: {names}")
        cutoff = float(programs[expected_program].get("cutoff", "nan"))
        check(abs(cutoff - expected_cutoff) < 1e-6,
              f"the chunk's program {expected_program} has cutoff {cutoff}, expected {expected_cutoff}")


def stage_signal(facts):
    length = int(facts["carrier.length"])
    signal = test_signal(length)
    for c in range(2):
        path = facts[f"carrier.file.{c}"]
        rate, chans = read_wav(path)
        if rate != RATE or len(chans[0]) != length:
            print(f"ardour test: carrier {path} is {len(chans[0])} samples at {rate} Hz, "
                  f"expected {length} at {RATE}", file=sys.stderr)
            sys.exit(1)
        write_wav(path, RATE, signal)
    print(f"  test signal: {LOW_HZ:g} Hz + {HIGH_HZ:g} Hz sines at {db(AMPLITUDE):.0f} dBFS each, "
          f"{length / RATE:g} s")


def stage_identity(facts):
    check(facts.get("name") == EFFECT_NAME, f"Ardour's plug-in name is '{facts.get('name')}'")
    check(facts.get("maker") == VENDOR, f"Ardour's plug-in maker is '{facts.get('maker')}'")
    check(facts.get("info.name") == EFFECT_NAME, f"the scanned plug-in's name is '{facts.get('info.name')}'")
    check(facts.get("info.creator") == VENDOR, f"the scanned plug-in's creator is '{facts.get('info.creator')}'")
    check(facts.get("unique_id") == str(UNIQUE_ID), f"the unique id is {facts.get('unique_id')}, expected {UNIQUE_ID}")
    check(facts.get("info.inputs") == "2" and facts.get("info.outputs") == "2",
          f"audio inputs/outputs {facts.get('info.inputs')}/{facts.get('info.outputs')}, expected 2/2")
    count = int(facts.get("param_count", "-1"))
    check(count == len(PARAMETER_NAMES), f"Ardour sees {count} parameters, expected {len(PARAMETER_NAMES)}")
    names = [facts.get(f"param.{i}.name") for i in range(count)]
    check(names == PARAMETER_NAMES, f"parameter names {names}")
    presets = [facts.get(f"preset.{i}.label") for i in range(int(facts.get("preset_count", "0")))]
    expected = [f"{i} - {name}" for i, name in enumerate(PROGRAM_NAMES)]
    check(presets == expected, f"Ardour lists the ten factory programs: {presets}")
    initial = values_of(facts, "initial")
    check(initial[CUTOFF] == 1.0 and initial[FILTERTYPE] == 0.0,
          f"a new instance runs program 0 (cutoff {initial[CUTOFF]}, filtertype {initial[FILTERTYPE]})")


def stage_render(facts, session_file):
    check(facts.get("program.0.label") == PROGRAM_NAMES[0], f"program 0 is '{facts.get('program.0.label')}'")
    check(facts.get("program.8.label") == PROGRAM_NAMES[8], f"program 8 is '{facts.get('program.8.label')}'")
    p0, p8, edited = values_of(facts, "program0"), values_of(facts, "program8"), values_of(facts, "edited")
    check(p0[CUTOFF] == 1.0 and p0[FILTERTYPE] == 0.0,
          f"program 0: cutoff {p0[CUTOFF]} (fully open), filtertype {p0[FILTERTYPE]} (low-pass)")
    check(abs(p8[CUTOFF] - 0.628) < 1e-6 and abs(p8[FILTERTYPE] - 0.2) < 1e-6 and abs(p8[RESONANCE] - 0.828) < 1e-6,
          f"program 8: cutoff {p8[CUTOFF]}, filtertype {p8[FILTERTYPE]} (high-pass), resonance {p8[RESONANCE]}")
    cutoff = float(facts["edit.cutoff"])
    check(abs(cutoff - p8[CUTOFF]) > 0.05, f"the edited cutoff {cutoff} differs from the program's")
    check(abs(edited[CUTOFF] - cutoff) < 1e-6 and edited[LFOINTENSITY] == 0.5,
          f"after the edit: cutoff {edited[CUTOFF]}, lfointensity {edited[LFOINTENSITY]}")
    same = [i for i in range(len(PARAMETER_NAMES)) if i not in (CUTOFF, LFOINTENSITY)]
    check(all(edited[i] == p8[i] for i in same), "the edit changed no other parameter")

    print("  sound (gain of each tone, output / input):")
    for c, (low, high, _) in enumerate(measure(facts, "clean")):
        check(0.708 < low < 1.413 and 0.708 < high < 1.413,
              f"'Clean Set Up' channel {c}: both tones pass within 3 dB of the input level "
              f"({db(low):+.1f} dB, {db(high):+.1f} dB)")
    for c, (low, high, _) in enumerate(measure(facts, "highpass")):
        check(high > 0.25 and low < 0.1 * high,
              f"'Digital Artefacts HP' channel {c}: the high tone passes ({db(high):+.1f} dB) and the low "
              f"tone is at least 20 dB below it ({db(low) - db(high):+.1f} dB)")
    for c, (low, high, _) in enumerate(measure(facts, "edited")):
        check(high > 0.25 and low < 0.1 * high,
              f"edited high-pass channel {c}: still high-pass ({db(low) - db(high):+.1f} dB)")
    check_chunk(session_file, 8, cutoff)


def stage_reopen(before, after, snapshot_file):
    edited, restored = values_of(before, "edited"), values_of(after, "reopened")
    for i, name in enumerate(PARAMETER_NAMES):
        check(abs(restored[i] - edited[i]) < 1e-6,
              f"reopened: parameter {i} '{name}' is {restored[i]:.6g}, saved {edited[i]:.6g}", quiet=True)
    check(all(abs(r - e) < 1e-6 for r, e in zip(restored, edited)),
          f"reopened: all 15 parameters as saved (cutoff {restored[CUTOFF]:.6g}, "
          f"filtertype {restored[FILTERTYPE]:.6g}, lfointensity {restored[LFOINTENSITY]:.6g})")
    print("  sound after reopening:")
    saved = measure(before, "edited")
    for c, ((low0, high0, rms0), (low1, high1, rms1)) in enumerate(zip(saved, measure(after, "reopened"))):
        check(abs(db(low1) - db(low0)) < 1.0 and abs(db(high1) - db(high0)) < 1.0,
              f"reopened channel {c}: tone gains within 1 dB of the saved render "
              f"({db(low1) - db(low0):+.2f} dB, {db(high1) - db(high0):+.2f} dB)")
    check_chunk(snapshot_file, 8, float(before["edit.cutoff"]))


def main(argv):
    if len(argv) < 3:
        print(__doc__, file=sys.stderr)
        sys.exit(2)
    stage = argv[1]
    if stage == "signal":
        stage_signal(read_facts(argv[2]))
    elif stage == "identity":
        stage_identity(read_facts(argv[2]))
    elif stage == "render":
        stage_render(read_facts(argv[2]), argv[3])
    elif stage == "reopen":
        stage_reopen(read_facts(argv[2]), read_facts(argv[3]), argv[4])
    else:
        print(__doc__, file=sys.stderr)
        sys.exit(2)
    finish(stage)


if __name__ == "__main__":
    main(sys.argv)
