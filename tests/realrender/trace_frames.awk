# Reads `apitrace dump` output of the game and prints one line per frame (frames end at
# glXSwapBuffers):
#
#   FRAME SPIN SHOTS SHOT_ANGLE SHOT_Y
#
# SPIN is the angle of the world turn, the first glRotatef after the frame's lift
# glTranslatef(0, 1, 0); "-" if the frame has none, "bad-axis" if that turn is not about z.
# SHOTS counts the shots drawn, recognised by their colour (0.2, 0.2, 0.8); SHOT_ANGLE and
# SHOT_Y are the glRotatef angle and glTranslatef y that follow the first shot's colour, or "-".

function parse_args(line, args,    inner, n, parts, i, kv) {
    for (i in args) delete args[i]
    inner = line
    sub(/^[^(]*\(/, "", inner)
    sub(/\)[^)]*$/, "", inner)
    n = split(inner, parts, /, /)
    for (i = 1; i <= n; i++) {
        split(parts[i], kv, / = /)
        args[kv[1]] = kv[2]
    }
}

function near(a, b) {
    return (a - b) < 1e-4 && (b - a) < 1e-4
}

function reset_frame() {
    lifted = 0
    spin = "-"
    shots = 0
    shot_angle = "-"
    shot_y = "-"
    shot_state = ""
}

BEGIN {
    frame = 1
    reset_frame()
}

{
    name = $2
    sub(/\(.*/, "", name)
}

name == "glXSwapBuffers" {
    print frame, spin, shots, shot_angle, shot_y
    frame++
    reset_frame()
    next
}

name == "glTranslatef" {
    parse_args($0, a)
    if (!lifted && spin == "-" && near(a["x"], 0) && near(a["y"], 1) && near(a["z"], 0)) {
        lifted = 1
    } else if (shot_state == "rotated") {
        shot_y = a["y"] + 0
        shot_state = "done"
    }
    next
}

name == "glRotatef" {
    parse_args($0, a)
    if (lifted && spin == "-") {
        if (near(a["x"], 0) && near(a["y"], 0) && near(a["z"], 1))
            spin = a["angle"] + 0
        else
            spin = "bad-axis"
    } else if (shot_state == "coloured") {
        shot_angle = a["angle"] + 0
        shot_state = "rotated"
    }
    next
}

name == "glColor3f" {
    parse_args($0, a)
    if (near(a["red"], 0.2) && near(a["green"], 0.2) && near(a["blue"], 0.8)) {
        shots++
        if (shots == 1)
            shot_state = "coloured"
    }
    next
}
