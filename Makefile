# The two everyday commands are `make run` and `make test`.
JOBS ?= 2
RELEASE_DIR := build/release
TEST_DIR := build/test
BENCH_DIR := build/bench
FUZZ_DIR := build/fuzz
CMAKE_GEN := -G Ninja

.PHONY: run test deps build format bench fuzz clean screenshots

deps:
	@scripts/install-deps

build: deps
	cmake -S . -B $(RELEASE_DIR) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DORVIA_TESTS=OFF
	cmake --build $(RELEASE_DIR) -j$(JOBS)

run: build
	$(RELEASE_DIR)/src/app/orvia $(ARGS)

test: deps
	cmake -S . -B $(TEST_DIR) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DORVIA_SANITIZE=ON
	cmake --build $(TEST_DIR) -j$(JOBS)
	ctest --test-dir $(TEST_DIR) --output-on-failure -j$(JOBS) --timeout 300

# Every window and dialog of the desktop UI as a PNG in build/screenshots/
# (offscreen, fixed data and sizes), built in the test build folder.
screenshots: deps
	cmake -S . -B $(TEST_DIR) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DORVIA_SANITIZE=ON
	cmake --build $(TEST_DIR) -j$(JOBS) --target orvia_screenshots
	$(TEST_DIR)/tests/ui/orvia_screenshots build/screenshots

bench: deps
	cmake -S . -B $(BENCH_DIR) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DORVIA_TESTS=OFF -DORVIA_BENCH=ON
	cmake --build $(BENCH_DIR) -j$(JOBS)
	@for b in $(BENCH_DIR)/bench/orvia_bench_*; do [ -x "$$b" ] && "$$b"; done

fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_DIR) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DORVIA_TESTS=OFF -DORVIA_FUZZ=ON
	cmake --build $(FUZZ_DIR) -j$(JOBS)

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
