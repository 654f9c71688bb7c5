#pragma once

#include <cstdint>

// The effVendorSpecific requests by which the host tests read back what the fake plug-in
// received. Shared by the fake and the tests.
namespace fake
{
constexpr int numParams = 2;

enum Query : int32_t
{
    queryProcessEventsCalls = 0x4B460001, ///< how many effProcessEvents arrived
    queryNumMidi,                         ///< MIDI events in the last effProcessEvents
    queryMidiEvent,                       ///< value = event number; answers packMidi(...)
    queryTimeInfo,                        ///< copies the last time info into ptr; 0 if none
    queryProcessLevelInProcess,           ///< process level asked during the last block
    queryProcessLevelNow,                 ///< asks the host for the process level right now
    queryProcessCalls,                    ///< how many processReplacing calls arrived
    queryLastFrames,                      ///< frame count of the last processReplacing
    automateFromThread,                   ///< value = count; reports edits from two threads
    askHost                               ///< value = host opcode, ptr passed on; its answer
};

constexpr intptr_t packMidi(int32_t deltaFrames, uint8_t status, uint8_t data1, uint8_t data2)
{
    return (static_cast<intptr_t>(deltaFrames) << 24) | (static_cast<intptr_t>(status) << 16) |
           (static_cast<intptr_t>(data1) << 8) | static_cast<intptr_t>(data2);
}
} // namespace fake
