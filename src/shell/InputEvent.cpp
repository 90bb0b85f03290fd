#include "shell/InputEvent.h"

#include "shell/PrintableExcerpt.h"

#include <GL/freeglut.h>

#include <array>
#include <charconv>
#include <cstdio>
#include <vector>

namespace {

struct Name {
    const char* text;
    int value;
};

constexpr std::array<Name, 4> kSpecialNames = {{
    {"left", GLUT_KEY_LEFT},
    {"right", GLUT_KEY_RIGHT},
    {"up", GLUT_KEY_UP},
    {"down", GLUT_KEY_DOWN},
}};

constexpr std::array<Name, 3> kButtonNames = {{
    {"left", GLUT_LEFT_BUTTON},
    {"middle", GLUT_MIDDLE_BUTTON},
    {"right", GLUT_RIGHT_BUTTON},
}};

constexpr std::array<Name, 2> kStateNames = {{{"down", GLUT_DOWN}, {"up", GLUT_UP}}};

template <std::size_t N> std::string nameOf(const std::array<Name, N>& names, int value) {
    for (const Name& name : names) {
        if (name.value == value) {
            return name.text;
        }
    }
    return std::to_string(value);
}

template <std::size_t N>
std::optional<int> valueOf(const std::array<Name, N>& names, std::string_view word) {
    for (const Name& name : names) {
        if (word == name.text) {
            return name.value;
        }
    }
    return std::nullopt;
}

std::optional<int> parseInt(std::string_view word) {
    int value = 0;
    const char* end = word.data() + word.size();
    const auto [rest, error] = std::from_chars(word.data(), end, value);
    if (error != std::errc() || rest != end) {
        return std::nullopt;
    }
    return value;
}

bool isPrintable(int code) {
    return code > ' ' && code < 0x7f;
}

std::string keyWord(int code) {
    if (code == ' ') {
        return "space";
    }
    // '#' would read back as the start of a comment, so it goes in hex like a control key.
    if (isPrintable(code) && code != '#') {
        return std::string(1, static_cast<char>(code));
    }
    std::array<char, 8> hex{};
    std::snprintf(hex.data(), hex.size(), "0x%02x", code & 0xff);
    return hex.data();
}

std::optional<int> keyCode(std::string_view word) {
    if (word == "space") {
        return ' ';
    }
    if (word.size() == 1 && isPrintable(static_cast<unsigned char>(word[0]))) {
        return static_cast<unsigned char>(word[0]);
    }
    if (word.size() == 4 && word.substr(0, 2) == "0x") {
        int value = 0;
        const char* end = word.data() + word.size();
        const auto [rest, error] = std::from_chars(word.data() + 2, end, value, 16);
        // from_chars takes a minus sign, which is no key.
        if (error == std::errc() && rest == end && value >= 0) {
            return value;
        }
    }
    return std::nullopt;
}

std::vector<std::string_view> splitWords(std::string_view line) {
    std::vector<std::string_view> words;
    std::size_t at = 0;
    while (at < line.size()) {
        const std::size_t start = line.find_first_not_of(" \t\r", at);
        if (start == std::string_view::npos) {
            break;
        }
        const std::size_t end = line.find_first_of(" \t\r", start);
        words.push_back(line.substr(start, end - start));
        at = end == std::string_view::npos ? line.size() : end;
    }
    return words;
}

ParsedInputLine failure(std::string message) {
    return {std::nullopt, std::move(message)};
}

} // namespace

std::string formatInputEvent(const InputEvent& event) {
    std::string line = std::to_string(event.frame);
    switch (event.kind) {
    case InputEvent::Kind::Key:
        return line + " key " + keyWord(event.code);
    case InputEvent::Kind::Special:
        return line + " special " + nameOf(kSpecialNames, event.code);
    case InputEvent::Kind::Mouse:
        return line + " mouse " + nameOf(kButtonNames, event.code) + " " +
               nameOf(kStateNames, event.state) + " " + std::to_string(event.x) + " " +
               std::to_string(event.y);
    case InputEvent::Kind::Motion:
        return line + " motion " + std::to_string(event.x) + " " + std::to_string(event.y);
    }
    return line;
}

ParsedInputLine parseInputLine(std::string_view line) {
    const std::size_t comment = line.find('#');
    const std::vector<std::string_view> words = splitWords(line.substr(0, comment));
    if (words.empty()) {
        return {};
    }
    if (words.size() < 2) {
        return failure("expected FRAME and an event");
    }
    const std::optional<int> frame = parseInt(words[0]);
    if (!frame || *frame < 1) {
        return failure("frame must be a whole number from 1 up, not '" +
                       printableExcerpt(words[0]) + "'");
    }
    InputEvent event;
    event.frame = *frame;
    const std::string_view kind = words[1];
    const std::size_t argumentCount = words.size() - 2;

    if (kind == "key") {
        if (argumentCount != 1) {
            return failure("key takes one character");
        }
        const std::optional<int> code = keyCode(words[2]);
        if (!code) {
            return failure("unknown key '" + printableExcerpt(words[2]) + "'");
        }
        event.kind = InputEvent::Kind::Key;
        event.code = *code;
    } else if (kind == "special") {
        if (argumentCount != 1) {
            return failure("special takes one key: left, right, up or down");
        }
        std::optional<int> code = valueOf(kSpecialNames, words[2]);
        code = code ? code : parseInt(words[2]);
        if (!code) {
            return failure("unknown special key '" + printableExcerpt(words[2]) + "'");
        }
        event.kind = InputEvent::Kind::Special;
        event.code = *code;
    } else if (kind == "mouse") {
        if (argumentCount != 4) {
            return failure("mouse takes a button, down or up, X and Y");
        }
        std::optional<int> button = valueOf(kButtonNames, words[2]);
        button = button ? button : parseInt(words[2]);
        const std::optional<int> state = valueOf(kStateNames, words[3]);
        const std::optional<int> x = parseInt(words[4]);
        const std::optional<int> y = parseInt(words[5]);
        if (!button || !state || !x || !y) {
            return failure("mouse takes a button, down or up, X and Y");
        }
        event.kind = InputEvent::Kind::Mouse;
        event.code = *button;
        event.state = *state;
        event.x = *x;
        event.y = *y;
    } else if (kind == "motion") {
        const std::optional<int> x = argumentCount == 2 ? parseInt(words[2]) : std::nullopt;
        const std::optional<int> y = argumentCount == 2 ? parseInt(words[3]) : std::nullopt;
        if (!x || !y) {
            return failure("motion takes X and Y");
        }
        event.kind = InputEvent::Kind::Motion;
        event.x = *x;
        event.y = *y;
    } else {
        return failure("unknown event '" + printableExcerpt(kind) + "'");
    }
    return {event, {}};
}
