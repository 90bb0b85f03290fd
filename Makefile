# The doors a newcomer knows; CMake does the real work behind them.
BUILD_DIR ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSPINTUNNEL_WERROR=ON

# The fuzz targets have a folder of their own, configured for clang++ with libFuzzer.
FUZZ_BUILD_DIR ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_TARGETS := input_script game_options

# The browser build has a folder of its own, configured for em++.
WEB_BUILD_DIR ?= build-web
WEB_PORT ?= 8642

.PHONY: all deps build play test clean screenshots bench bench-web package web play-web fuzz fuzz-build

all: build

deps:
	@scripts/install-deps.sh

$(BUILD_DIR)/CMakeCache.txt:
	cmake -S . -B $(BUILD_DIR) $(CMAKE_FLAGS)

build: deps $(BUILD_DIR)/CMakeCache.txt
	cmake --build $(BUILD_DIR) -j $(JOBS)

# The game reads its textures from its working directory, which the build fills. The quit key's 42
# is the game's normal end, not a failure; any other status is still passed on.
play: build
	@cd $(BUILD_DIR) && status=0 && ./spintunnel || status=$$?; \
	if [ $$status -ne 0 ] && [ $$status -ne 42 ]; then \
		echo "spintunnel ended with status $$status" >&2; exit $$status; fi

# The web tests run in build/ too; they load the site that `web` builds.
test: build web fuzz-build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)
	cd $(FUZZ_BUILD_DIR) && ctest --output-on-failure

$(FUZZ_BUILD_DIR)/CMakeCache.txt:
	CXX=clang++ cmake -S . -B $(FUZZ_BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DSPINTUNNEL_WERROR=ON -DSPINTUNNEL_TESTS=OFF -DSPINTUNNEL_FUZZ=ON

fuzz-build: deps $(FUZZ_BUILD_DIR)/CMakeCache.txt
	cmake --build $(FUZZ_BUILD_DIR) -j $(JOBS) --target fuzz-targets

# Each fuzz target for FUZZ_SECONDS from its seeds in tests/fuzz/corpus; says how many inputs each
# tried, and stops at the first finding.
fuzz: fuzz-build
	@for target in $(FUZZ_TARGETS); do \
		tests/fuzz/run_fuzzer.sh $(FUZZ_BUILD_DIR)/tests/fuzz/spintunnel-fuzz-$$target \
			tests/fuzz/corpus/$$target $(FUZZ_BUILD_DIR)/fuzz-runs/$$target $(FUZZ_SECONDS) || exit 1; \
	done

$(WEB_BUILD_DIR)/CMakeCache.txt:
	emcmake cmake -S . -B $(WEB_BUILD_DIR) -DCMAKE_BUILD_TYPE=Release -DSPINTUNNEL_WERROR=ON \
		-DSPINTUNNEL_TESTS=OFF

# A static site in $(WEB_BUILD_DIR)/site: index.html, index.js, index.wasm and index.data.
web: deps $(WEB_BUILD_DIR)/CMakeCache.txt
	cmake --build $(WEB_BUILD_DIR) -j $(JOBS)

play-web: web
	@echo "spintunnel: open http://localhost:$(WEB_PORT)/ (Ctrl-C stops the server)"
	cd $(WEB_BUILD_DIR)/site && python3 -m http.server $(WEB_PORT) --bind 127.0.0.1

clean:
	rm -rf $(BUILD_DIR) $(WEB_BUILD_DIR) $(FUZZ_BUILD_DIR)

# The README's pictures, the animation and the icon, from the scripted games in docs/screenshots.
screenshots: build
	scripts/screenshots.sh $(BUILD_DIR)

# Frame times with texturing on and off, the ratio to a replay of the same GL calls, and where a
# steady-state frame's instructions go. Takes a while; BENCH_RUNS=N sets the runs per figure.
bench: build
	bench/bench.sh $(BUILD_DIR)

# The web page's own main-thread milliseconds per frame and its frames per second at full load, in
# each browser engine (BENCH_WEB_ENGINES=chromium,...; BENCH_WEB_RUNS=N runs per figure), and the
# site's size.
bench-web: web
	xvfb-run -a -s "-screen 0 1280x1024x24" /usr/bin/python3 bench/bench_web.py --site $(WEB_BUILD_DIR)/site

# The Debian package, laid out like Debian's own games and with its library dependencies worked out
# from the program: $(BUILD_DIR)/spintunnel_<version>_<arch>.deb.
package: build
	cd $(BUILD_DIR) && cpack -G DEB
