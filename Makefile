# The two set-up commands: `make run` builds and starts Tarvisk (the program only), `make test`
# builds and runs every test. Both install missing Debian packages first.
BUILD ?= build
ASAN_BUILD ?= build-asan
PACKAGE_BUILD ?= build-package
INSTALL_BUILD ?= build-install
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
PREFIX ?= /usr/local
JOBS ?= $(shell nproc)

.PHONY: run test test-asan fuzz bench screenshots install package deps configure build clean

deps:
	@tools/install-deps

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo

configure: deps $(BUILD)/CMakeCache.txt

build: configure
	cmake --build $(BUILD) -j $(JOBS)

# The program runs from run/, outside the build folder, so that `make clean` never takes the
# configuration (run/tarvisk.ini) with it. The new program is renamed over the old one, never
# written into it, so a second `make run` works while the first still runs.
RUN ?= run

run: configure
	cmake --build $(BUILD) -j $(JOBS) --target tarvisk
	mkdir -p $(RUN)
	cp $(BUILD)/src/tarvisk $(RUN)/tarvisk.new
	mv -f $(RUN)/tarvisk.new $(RUN)/tarvisk
	cd $(RUN) && ./tarvisk

test: build
	cd $(BUILD) && ctest --output-on-failure --timeout 600

# The logic and widget tests again, under AddressSanitizer and UndefinedBehaviorSanitizer.
test-asan: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DTARVISK_SANITIZE=ON
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ctest --output-on-failure --timeout 900 -L 'core|ui'

# The fuzz targets of tests/fuzz, in a clang build of the logic with libFuzzer and the
# sanitizers, FUZZ_SECONDS each.
fuzz: deps
	cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
	    -DTARVISK_FUZZ=ON -DTARVISK_BUILD_TESTS=OFF
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzzers
	tests/fuzz/run $(FUZZ_BUILD) $(FUZZ_SECONDS)

bench: build
	cmake --build $(BUILD) -j $(JOBS) --target benchmarks
	bench/run-all $(BUILD)

# An installed copy keeps its configuration per user. PREFIX=/usr/local unless given.
install: deps
	cmake -S . -B $(INSTALL_BUILD) -DCMAKE_BUILD_TYPE=Release -DTARVISK_BUILD_TESTS=OFF \
	    -DTARVISK_USER_CONFIG=ON -DCMAKE_INSTALL_PREFIX=$(PREFIX)
	cmake --build $(INSTALL_BUILD) -j $(JOBS)
	cmake --install $(INSTALL_BUILD)

# A Debian package (build-package/tarvisk_*.deb) that installs under /usr.
package: deps
	cmake -S . -B $(PACKAGE_BUILD) -DCMAKE_BUILD_TYPE=Release -DTARVISK_BUILD_TESTS=OFF \
	    -DTARVISK_USER_CONFIG=ON -DCMAKE_INSTALL_PREFIX=/usr
	cmake --build $(PACKAGE_BUILD) -j $(JOBS)
	cd $(PACKAGE_BUILD) && cpack -G DEB

# The README's pictures, taken by an end-to-end run under xvfb-run.
screenshots: build
	rm -rf $(BUILD)/screenshots
	bash tests/e2e/scenario.sh $(BUILD)/src/tarvisk $(CURDIR)/$(BUILD)/screenshots
	cp $(BUILD)/screenshots/follow.png docs/follow.png
	convert $(BUILD)/screenshots/search-days.png -trim +repage docs/search-days.png
	bash tests/e2e/remote.sh $(BUILD)/src/tarvisk $(CURDIR)/$(BUILD)/screenshots
	cp $(BUILD)/screenshots/many.png docs/many.png

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(PACKAGE_BUILD) $(INSTALL_BUILD) $(FUZZ_BUILD)
