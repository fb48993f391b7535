# The two everyday commands are `make run` and `make test`.
JOBS ?= 2
RELEASE_DIR := build/release
TEST_DIR := build/test
BENCH_DIR := build/bench
FUZZ_DIR := build/fuzz
PACKAGE_DIR := build/package
CMAKE_GEN := -G Ninja
# Where `make install` puts Orvia (bin/, share/, lib/systemd/ under it).
PREFIX ?= /usr/local

.PHONY: run test deps build install package format bench fuzz clean screenshots

deps:
	@scripts/install-deps

build: deps
	cmake -S . -B $(RELEASE_DIR) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DORVIA_TESTS=OFF
	cmake --build $(RELEASE_DIR) -j$(JOBS)

run: build
	$(RELEASE_DIR)/src/app/orvia $(ARGS)

# The Release build installed under $(PREFIX); DESTDIR= stages it elsewhere.
install: build
	cmake --install $(RELEASE_DIR) --prefix $(PREFIX) --strip

# A Debian package installing to /usr: build/package/orvia_<version>_<arch>.deb.
package: deps
	cmake -S . -B $(PACKAGE_DIR) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DORVIA_TESTS=OFF \
		-DCMAKE_INSTALL_PREFIX=/usr
	cmake --build $(PACKAGE_DIR) -j$(JOBS)
	cd $(PACKAGE_DIR) && cpack -G DEB

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
