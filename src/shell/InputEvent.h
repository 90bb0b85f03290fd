#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// One player input, stamped with the frame it comes before. The text form is one line, the same in
// recordings and in scripts:
//   FRAME key CHAR             a printable character but #, `space`, or 0xNN for any other key
//   FRAME special left|right|up|down|N
//   FRAME mouse left|middle|right|N down|up X Y
//   FRAME motion X Y
struct InputEvent {
    enum class Kind { Key, Special, Mouse, Motion };

    std::int32_t frame = 1; // applied after frame - 1 is drawn and before frame is
    Kind kind = Kind::Key;
    int code = 0;  // key code, special key, or mouse button
    int state = 0; // mouse buttons only: GLUT_DOWN or GLUT_UP
    int x = 0;
    int y = 0;

    bool operator==(const InputEvent&) const = default;
};

std::string formatInputEvent(const InputEvent& event);

struct ParsedInputLine {
    std::optional<InputEvent> event; // empty for a blank or comment line, or on error
    std::string error;               // non-empty when the line is malformed
};

ParsedInputLine parseInputLine(std::string_view line);
