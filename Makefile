# The two everyday commands: `make run` builds and starts the game, `make test` builds the
# sanitized Debug build and runs every test. Both install missing Debian packages first.

RELEASE_DIR := build/release
TEST_DIR    := build/test
JOBS        ?= $(shell nproc)

.PHONY: run test release deps clean format fuzz

run: release
	cd $(RELEASE_DIR) && ./kosmorra

release: deps
	cmake -S . -B $(RELEASE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DKOSMORRA_TESTS=OFF
	cmake --build $(RELEASE_DIR) -j $(JOBS)

test: deps
	cmake -S . -B $(TEST_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKOSMORRA_SANITIZE=ON
	cmake --build $(TEST_DIR) -j $(JOBS)
	ctest --test-dir $(TEST_DIR) --output-on-failure -j $(JOBS)

# Every fuzz target for FUZZ_SECONDS each (the test build runs them only briefly).
FUZZ_SECONDS ?= 120
fuzz: test
	for f in fuzz/fuzz_*.cpp; do \
		name=$$(basename $$f .cpp); \
		tests/fuzz/run_fuzzer.sh $(TEST_DIR)/fuzz/$$name fuzz/corpus/$$name 0 $(FUZZ_SECONDS) || exit 1; \
	done

deps:
	@scripts/install-deps

format:
	find app game engine platform tools bench tests -name '*.cpp' -o -name '*.h' | xargs clang-format -i

clean:
	rm -rf build
