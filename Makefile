# OrvanePlayer: top-level commands. Each one installs the Debian packages it needs
# first (scripts/install-deps.sh is quiet when everything is there).

JOBS      ?= $(shell nproc)
BUILD     ?= build
BUILD_SAN ?= build-san
BUILD_FUZZ ?= build-fuzz
BUILD_METER ?= build-meter
BUILD_PACKAGE ?= build-package
CMAKE_FLAGS ?=
METER_CMAKE_FLAGS ?=

.PHONY: all deps build test test-san meter-alone bench demo fuzz package package-check format format-check clean

all: build

deps:
	@bash scripts/install-deps.sh

$(BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

# Builds everything and runs every test.
test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# The same tests under AddressSanitizer and UndefinedBehaviorSanitizer.
test-san: deps
	cmake -S . -B $(BUILD_SAN) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DORVANE_SANITIZE=ON \
	    -DORVANE_BUILD_BENCH=OFF -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" $(CMAKE_FLAGS)
	cmake --build $(BUILD_SAN) -j $(JOBS)
	ctest --test-dir $(BUILD_SAN) --output-on-failure -j $(JOBS)

# The gauge library built from meter/ alone, as the deliverable of its own it is: build
# it and run its own tests, among them a separate program built against the package in
# its build tree and against an installed copy.
METER_LAUNCHER := $(if $(shell command -v ccache),-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
meter-alone: deps
	cmake -S meter -B $(BUILD_METER) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    $(METER_LAUNCHER) $(METER_CMAKE_FLAGS)
	cmake --build $(BUILD_METER) -j $(JOBS)
	ctest --test-dir $(BUILD_METER) --output-on-failure -j $(JOBS)

# Speed and memory figures (Release build).
bench: deps
	cmake -S . -B $(BUILD)-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVANE_BUILD_TESTS=OFF $(CMAKE_FLAGS)
	cmake --build $(BUILD)-bench -j $(JOBS)
	bash scripts/run-benchmarks.sh $(BUILD)-bench

# Builds the project and shows what there is on the bundled demo data.
demo: build
	bash scripts/demo.sh $(BUILD)

# libFuzzer targets, built with clang, each run for a bounded time.
fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B $(BUILD_FUZZ) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DORVANE_FUZZ=ON -DORVANE_BUILD_GUI=OFF -DORVANE_BUILD_BENCH=OFF $(CMAKE_FLAGS)
	cmake --build $(BUILD_FUZZ) -j $(JOBS)
	bash scripts/run-fuzzers.sh $(BUILD_FUZZ)

# The Debian packages of the player and the gauge library, checked with lintian and
# appstreamcli (installs the packaging tools it needs).
package:
	JOBS=$(JOBS) bash scripts/package.sh $(BUILD_PACKAGE)

# Installs the packages on this machine, checks the installed player, and removes them
# again (as root; CI runs it).
package-check: package
	bash tests/package/install-check.sh $(BUILD_PACKAGE)

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

# Fails, naming the places, when a tracked source file is not formatted as .clang-format says.
format-check: deps
	git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror

clean:
	rm -rf $(BUILD) $(BUILD_SAN) $(BUILD_FUZZ) $(BUILD)-bench $(BUILD_METER) $(BUILD_PACKAGE)
