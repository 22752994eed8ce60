# The two commands of the quick start:
#   make run    build and start Torvanel on the simulated interface (a real
#               box: make run ARGS=, or ARGS="--interface /dev/parport1")
#   make test   build and run every test
# Both first install the Debian packages the build needs when any is missing.

BUILD_DIR  ?= build
BUILD_TYPE ?= RelWithDebInfo
SANITIZE   ?= OFF
JOBS       ?= 2
# The program's arguments: the simulated interface unless ARGS says
# otherwise, e.g. make run ARGS="--interface sim:210"; ARGS= runs on the
# machine's first parallel port.
ARGS       ?= --interface sim

DEBIAN_PACKAGES := cmake g++ make pkg-config \
	qt6-base-dev qt6-base-dev-tools qt6-multimedia-dev qt6-qpa-plugins libgl-dev \
	libhidapi-dev libsqlite3-dev libevdev-dev libgtest-dev libgmock-dev libbenchmark-dev fonts-liberation2 appstream \
	pulseaudio pulseaudio-utils \
	qt6-httpserver-dev qt6-websockets-dev libqrencode-dev chromium poppler-utils \
	libzip-dev python3
# What make fuzz and make lint need on top: clang with libFuzzer and the
# sanitizer runtimes, clang-tidy and clang-format, Python for the seed
# inputs.
TOOL_PACKAGES := clang libclang-rt-14-dev clang-tidy clang-format python3
# What make format-check needs.
FORMAT_PACKAGES := clang-format

# make fuzz: each fuzz target runs this many seconds.
FUZZ_SECONDS ?= 60
FUZZ_DIR     ?= build-fuzz
FUZZ_TARGETS := setupreader serialread screenlink buttonassignment recordfile qbjreader packet

# make lint: the compile commands come from a build folder configured with
# clang, the fuzz targets included, in which only moc has run (for the
# sources that include their own moc output). make lint LINT_SKIP="play
# menu" leaves folders or files out while they are being reworked.
LINT_DIR   ?= build-lint
LINT_SKIP  ?=

.PHONY: run test deps tool-deps install-packages configure build sanitize-test fuzz lint \
	format-check layers links deb clean

run: build
	$(BUILD_DIR)/bin/torvanel $(ARGS)

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j$(JOBS)

# Installs what is missing: as root directly, otherwise through sudo; without
# either it prints the one line to run.
deps:
	@$(MAKE) --no-print-directory install-packages PACKAGES="$(DEBIAN_PACKAGES)"

tool-deps: deps
	@$(MAKE) --no-print-directory install-packages PACKAGES="$(TOOL_PACKAGES)"

install-packages:
	@if ! command -v dpkg-query >/dev/null 2>&1; then \
	  echo "Not a Debian system: install the equivalents of: $(PACKAGES)"; exit 0; \
	fi; \
	missing=""; \
	for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -z "$$missing" ]; then exit 0; fi; \
	echo "Installing:$$missing"; \
	if [ "$$(id -u)" = 0 ]; then \
	  apt-get update -q && DEBIAN_FRONTEND=noninteractive apt-get install -y -q $$missing; \
	elif command -v sudo >/dev/null 2>&1; then \
	  sudo apt-get update -q && sudo DEBIAN_FRONTEND=noninteractive apt-get install -y -q $$missing; \
	else \
	  echo "Please run as root:  apt-get install -y$$missing"; exit 1; \
	fi

configure: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DTORVANEL_SANITIZE=$(SANITIZE)

build: configure
	cmake --build $(BUILD_DIR) -j$(JOBS)

# The whole test suite under AddressSanitizer, LeakSanitizer and
# UndefinedBehaviorSanitizer, in a Debug build folder of its own. Leaks
# inside Qt or the system libraries are suppressed by
# tests/lsan-suppressions.txt; any other report fails the test.
sanitize-test:
	$(MAKE) test BUILD_DIR=build-sanitize SANITIZE=ON BUILD_TYPE=Debug

# Builds the fuzz targets with clang in a build folder of their own and runs
# each for FUZZ_SECONDS on its seeds. New inputs the fuzzer finds collect in
# $(FUZZ_DIR)/corpus/<target>; a failing input is saved as
# $(FUZZ_DIR)/artifacts/<target>-crash-... and stops the run.
fuzz: tool-deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DTORVANEL_FUZZ=ON -DTORVANEL_BUILD_TESTS=OFF -DTORVANEL_BUILD_BENCH=OFF
	cmake --build $(FUZZ_DIR) -j$(JOBS) --target fuzz_all
	@mkdir -p $(FUZZ_DIR)/artifacts
	@for t in $(FUZZ_TARGETS); do \
	  mkdir -p $(FUZZ_DIR)/corpus/$$t; \
	  echo "== fuzz_$$t for $(FUZZ_SECONDS) s"; \
	  $(FUZZ_DIR)/fuzz/fuzz_$$t -max_total_time=$(FUZZ_SECONDS) -timeout=10 \
	    -rss_limit_mb=2048 -print_final_stats=1 \
	    -artifact_prefix=$(FUZZ_DIR)/artifacts/$$t- \
	    $(FUZZ_DIR)/corpus/$$t $(FUZZ_DIR)/fuzz/seeds/$$t || exit 1; \
	done

# clang-format --dry-run -Werror and clang-tidy (the checked-in .clang-format
# and .clang-tidy) over the project's own files.
lint: tool-deps
	CC=clang CXX=clang++ cmake -S . -B $(LINT_DIR) -DCMAKE_BUILD_TYPE=Debug -DTORVANEL_FUZZ=ON \
	  -DCMAKE_GLOBAL_AUTOGEN_TARGET=ON >/dev/null
	cmake --build $(LINT_DIR) -j$(JOBS) --target autogen >/dev/null
	tools/lint.sh $(LINT_DIR) $(JOBS) $(LINT_SKIP)

# clang-format --dry-run -Werror over every C++ file of the folders
# tools/folders.txt lists (seconds); fails on any difference, and on a C++
# file outside those folders.
format-check:
	@$(MAKE) --no-print-directory install-packages PACKAGES="$(FORMAT_PACKAGES)"
	tools/format.sh

# The #include lines between the program's folders: fails when one points up
# the groups of tools/folders.txt or joins two folders of one group (the
# original windows excepted), or when a circle closes outside the windows.
layers:
	tools/layers.sh

# The same order at link level, on the objects of a build: fails when an
# object needs a symbol of a folder above it or beside it (anything outside
# shell/ needing shell/ among them).
links: build
	tools/links.sh $(BUILD_DIR)

# A Debian package (cpack -G DEB) of a release build for /usr, in
# build-deb/; its dependencies are worked out by dpkg-shlibdeps (dpkg-dev).
deb: deps
	@$(MAKE) --no-print-directory install-packages PACKAGES=dpkg-dev
	cmake -S . -B build-deb -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr \
	  -DTORVANEL_BUILD_TESTS=OFF -DTORVANEL_BUILD_BENCH=OFF
	cmake --build build-deb -j$(JOBS)
	cd build-deb && cpack -G DEB

clean:
	rm -rf build build-sanitize build-deb $(FUZZ_DIR) $(LINT_DIR)
