#include "web/WebShell.h"

int main(int argc, char** argv) {
    return runWebGame(argc, argv);
}
