# The two everyday commands: `make run` builds and starts the game, `make test` builds the
# sanitized Debug build and runs every test. Both install missing Debian packages first.

RELEASE_DIR := build/release
TEST_DIR    := build/test
JOBS        ?= $(shell nproc)

.PHONY: run test release deps clean format fuzz install uninstall bench soak mutants deb

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
	cd $(RELEASE_DIR) && ./bench_game && ./bench_theme && ./bench_frame && ./bench_timer && ./bench_collection && \
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

format:
	find app game engine platform tools bench tests fuzz -name '*.cpp' -o -name '*.h' | xargs clang-format -i

clean:
	rm -rf build
