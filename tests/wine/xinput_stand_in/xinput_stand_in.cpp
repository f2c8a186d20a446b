// A stand-in for the system's xinput1_4.dll in the Wine tests: one pad, in
// slot 0, whose state is the line in the file that KORVADA_PAD_STATE names,
// read again on every call:
//
//   BUTTONS          held (XInput's button bits, decimal or 0x hex)
//   BUTTONS SERIAL   a tap: held for this process's next two readings, then
//                    let go; the process then writes SERIAL into the file's
//                    name followed by "." and its program's name, so the
//                    test knows the tap was seen down and up
//
// Without the variable or the file there is no pad at all.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/xinput_pad.h"

namespace {
constexpr int kTapReadings = 2;

DWORD packet = 0;
uint16_t lastButtons = 0;
unsigned long tapSerial = 0;
int tapReadings = 0;

bool readState(const char* path, uint16_t* buttons, unsigned long* serial) {
    FILE* file = std::fopen(path, "rb");
    if (file == nullptr) return false;
    char text[64] = "";
    const size_t read = std::fread(text, 1, sizeof text - 1, file);
    std::fclose(file);
    text[read] = '\0';
    char* end = nullptr;
    const unsigned long value = std::strtoul(text, &end, 0);
    if (end == text) return false;
    *buttons = static_cast<uint16_t>(value);
    *serial = std::strtoul(end, nullptr, 10);
    return true;
}

// The tap's end, for the test: "PATH.PROGRAM" holds its serial.
void reportTap(const char* path, unsigned long serial) {
    char program[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, program, MAX_PATH);
    const char* name = std::strrchr(program, '\\');
    char report[2 * MAX_PATH];
    std::snprintf(report, sizeof report, "%s.%s", path, name != nullptr ? name + 1 : program);
    if (FILE* file = std::fopen(report, "wb")) {
        std::fprintf(file, "%lu\n", serial);
        std::fclose(file);
    }
}
}  // namespace

extern "C" __declspec(dllexport) DWORD WINAPI XInputGetState(DWORD index, XInputState* state) {
    char path[MAX_PATH];
    const DWORD length = GetEnvironmentVariableA("KORVADA_PAD_STATE", path, MAX_PATH);
    uint16_t buttons = 0;
    unsigned long serial = 0;
    if (index != 0 || state == nullptr || length == 0 || length >= MAX_PATH || !readState(path, &buttons, &serial))
        return ERROR_DEVICE_NOT_CONNECTED;
    if (serial != 0) {
        if (serial != tapSerial) tapSerial = serial, tapReadings = 0;
        if (tapReadings < kTapReadings) {
            ++tapReadings;
        } else {
            if (tapReadings++ == kTapReadings) reportTap(path, serial);
            buttons = 0;
        }
    }
    if (buttons != lastButtons) ++packet, lastButtons = buttons;
    *state = XInputState{};
    state->packetNumber = packet;
    state->gamepad.buttons = buttons;
    return ERROR_SUCCESS;
}
