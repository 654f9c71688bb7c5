#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class KivCore;

// One input of the state reader's fuzzer, and the promises the processor keeps whatever the
// host hands it as its stored state. The fuzzer and the replay test share this, so an input
// that once broke a promise is checked exactly as it was found.
namespace StateCheck
{
// An input that starts with the container's magic ("VC2!") is passed as it is, header and all.
// Any other input is taken as the XML text and wrapped into a well-formed container first, so
// that mutations of the text are not lost to a stale length field.
//
// After setStateInformation on `core`:
//   - the current program is one of the ten;
//   - every stored value of every program is finite;
//   - all ten programs hold the same controller map;
//   - if the state was accepted, the engine's parameter array equals the current program's
//     stored values; if it was rejected (no change message), nothing changed but the current
//     program number, which is 0;
//   - getStateInformation writes a well-formed container, which is accepted when read back,
//     and writing again then gives the same bytes, with the same current program;
//   - a short block of audio can be processed.
// Returns an empty text when all of that holds, else what went wrong.
std::string applyAndCheck(KivCore& core, const uint8_t* data, std::size_t size);
} // namespace StateCheck
