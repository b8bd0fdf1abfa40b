# The two everyday commands: `make run` builds and starts the game, `make test` builds the
# sanitized Debug build and runs every test. Both install missing Debian packages first.

RELEASE_DIR := build/release
TEST_DIR    := build/test
JOBS        ?= $(shell nproc)

.PHONY: run test release deps clean format fuzz install uninstall bench soak mutants deb \
	web web-deps web-run web-test web-bench levels-proof

run: release
	cd $(RELEASE_DIR) && ./kosmorra

release: deps
	cmake -S . -B $(RELEASE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DKOSMORRA_TESTS=OFF
	cmake --build $(RELEASE_DIR) -j $(JOBS)

test: deps
	cmake -S . -B $(TEST_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKOSMORRA_SANITIZE=ON \
		-DKOSMORRA_WERROR=ON
	cmake --build $(TEST_DIR) -j $(JOBS)
	ctest --test-dir $(TEST_DIR) --output-on-failure -j $(JOBS)

# Every shipped level proven again by the Release build's solver (the push counts its notes
# record are minimal; the moves and figures are the solver's), then won through the real game by
# the recorded moves: levels 11 to 50, in two halves of about as many moves side by side. The
# test build replays the solutions and plays levels 1 to 10; the whole set would take it too
# long under the sanitizers.
levels-proof: deps
	cmake -S . -B $(RELEASE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DKOSMORRA_TESTS=OFF
	cmake --build $(RELEASE_DIR) -j $(JOBS) --target levels kosmorra-play stage_runtime
	$(RELEASE_DIR)/bin/levels verify data/levels.txt
	tests/e2e/replay_levels.sh $(CURDIR)/$(RELEASE_DIR)/kosmorra-play $(CURDIR)/$(RELEASE_DIR) \
		$(CURDIR)/$(RELEASE_DIR)/levels-replay $(CURDIR)/data/levels.txt 11 43 > $(RELEASE_DIR)/levels-replay-1.log 2>&1 & \
	first=$$!; \
	tests/e2e/replay_levels.sh $(CURDIR)/$(RELEASE_DIR)/kosmorra-play $(CURDIR)/$(RELEASE_DIR) \
		$(CURDIR)/$(RELEASE_DIR)/levels-replay $(CURDIR)/data/levels.txt 44 50; second=$$?; \
	wait $$first; first=$$?; cat $(RELEASE_DIR)/levels-replay-1.log; \
	test $$first -eq 0 -a $$second -eq 0 && echo "levels 11 to 50 won through the game"

# Every fuzz target for FUZZ_SECONDS each (the test build runs them only briefly).
FUZZ_SECONDS ?= 120
fuzz: test
	for f in fuzz/fuzz_*.cpp; do \
		name=$$(basename $$f .cpp); \
		tests/fuzz/run_fuzzer.sh $(TEST_DIR)/fuzz/$$name fuzz/corpus/$$name 0 $(FUZZ_SECONDS) || exit 1; \
	done

# The whole game for SOAK_FRAMES frames of random input under the sanitizers (see tests/e2e/soak.sh).
SOAK_FRAMES ?= 200000
soak: test
	tests/e2e/soak.sh $(TEST_DIR)/kosmorra-play $(TEST_DIR) $(SOAK_FRAMES) 11

# Plants the faults listed in tests/mutants/ one at a time in a copy of the tree (build/mutants)
# and prints which ones the tests let through, and the score. Slow; not part of `make test`.
mutants: deps
	python3 tests/mutants/run_mutants.py

# Every benchmark of the Release build, one after the other; each prints its own figures, and
# bench_game prints the game's table (start-up, frame of each screen, memory).
bench: release
	cd $(RELEASE_DIR) && ./bench_game && ./bench_hint && ./bench_theme && ./bench_frame && ./bench_timer && ./bench_collection && \
		./bench_music

# Installs the Release program: PREFIX/lib/kosmorra (program and data), PREFIX/bin/kosmorra,
# a desktop entry and an icon. `make uninstall PREFIX=...` removes exactly what was installed.
PREFIX ?= /usr/local
install: release
	cmake --install $(RELEASE_DIR) --prefix $(PREFIX)

uninstall:
	@test -f $(RELEASE_DIR)/install_manifest.txt || { echo "nothing installed from $(RELEASE_DIR)"; exit 1; }
	xargs -d '\n' rm -f < $(RELEASE_DIR)/install_manifest.txt
	-rmdir -p --ignore-fail-on-non-empty $(PREFIX)/lib/kosmorra/levels $(PREFIX)/lib/kosmorra/Themes \
		$(PREFIX)/lib/kosmorra/Music $(PREFIX)/share/applications \
		$(PREFIX)/share/icons/hicolor/64x64/apps $(PREFIX)/share/icons/hicolor/256x256/apps \
		$(PREFIX)/share/metainfo $(PREFIX)/share/man/man6 $(PREFIX)/share/doc/kosmorra \
		$(PREFIX)/bin 2>/dev/null
	rm -f $(RELEASE_DIR)/install_manifest.txt

# The Debian package of the Release program, build/release/kosmorra_<version>_<arch>.deb
# (`sudo apt install ./build/release/kosmorra_*.deb` installs it, `sudo apt remove kosmorra`
# removes it).
deb: release
	scripts/make-deb $(RELEASE_DIR) $(RELEASE_DIR)

deps:
	@scripts/install-deps

# The browser build: build/web/ holds the page (index.html, kosmorra.js, kosmorra.wasm and
# kosmorra.data). Its libraries are built once from Debian's sources into a cache shared by
# every clone (scripts/web-libs); its data and built-in pictures are made by the native tools of
# WEB_HOST_DIR (the test build, configured as `make test` does when it is missing).
WEB_DIR      := build/web
WEB_BUILD    := build/web-build
WEB_DEPS     := build/web-deps
WEB_HOST_DIR ?= $(TEST_DIR)
WEB_PORT     ?= 8000
# Debian's emscripten under node 20: see scripts/web-libs.
WEB_ENV := NODE_PATH=/usr/share/nodejs NODE_OPTIONS=--no-experimental-fetch EMCC_SKIP_SANITY_CHECK=1

web-deps:
	@scripts/install-web-deps

web: web-deps
	test -f $(WEB_HOST_DIR)/build.ninja || cmake -S . -B $(WEB_HOST_DIR) -G Ninja \
		-DCMAKE_BUILD_TYPE=Debug -DKOSMORRA_SANITIZE=ON -DKOSMORRA_WERROR=ON
	cmake --build $(WEB_HOST_DIR) -j $(JOBS) --target stage_runtime art
	JOBS=$(JOBS) scripts/web-libs $(WEB_DEPS)
	$(WEB_ENV) PKG_CONFIG_LIBDIR=$(abspath $(WEB_DEPS))/lib/pkgconfig PKG_CONFIG_PATH= emcmake cmake -S . \
		-B $(WEB_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DKOSMORRA_WERROR=ON \
		-DCMAKE_CROSSCOMPILING_EMULATOR=/usr/bin/node -DKOSMORRA_HOST_DIR=$(abspath $(WEB_HOST_DIR)) \
		-DKOSMORRA_WEB_DEPS=$(abspath $(WEB_DEPS)) -DKOSMORRA_WEB_OUT=$(abspath $(WEB_DIR))
	$(WEB_ENV) cmake --build $(WEB_BUILD) -j $(JOBS)

# Serves the page on 127.0.0.1 (WEB_PORT) and prints its address.
web-run: web
	node scripts/web-serve.mjs $(WEB_DIR) $(WEB_PORT)

# The page played in headless Chromium (tests/web/web_test.mjs).
web-test: web
	node tests/web/web_test.mjs $(WEB_DIR) tests/golden build/web-test

# The browser build's figures in headless Chromium: frame, first frame, page size.
web-bench: web
	$(WEB_ENV) cmake --build $(WEB_BUILD) -j $(JOBS) --target bench_web
	node tests/web/web_bench.mjs $(WEB_DIR) $(WEB_BUILD)/bench-page

format:
	find app game engine platform tools bench tests fuzz -name '*.cpp' -o -name '*.h' | xargs clang-format -i

clean:
	rm -rf build
