# The two commands of the quick start:
#   make run    build and start Torvanel (the simulated interface when the
#               machine has no parallel port)
#   make test   build and run every test
# Both first install the Debian packages the build needs when any is missing.

BUILD_DIR  ?= build
BUILD_TYPE ?= RelWithDebInfo
SANITIZE   ?= OFF
JOBS       ?= 2
# Extra arguments for the program, e.g. make run ARGS="--interface sim:210"
ARGS       ?=

DEBIAN_PACKAGES := cmake g++ make pkg-config \
	qt6-base-dev qt6-base-dev-tools qt6-multimedia-dev qt6-qpa-plugins libgl-dev \
	libhidapi-dev libgtest-dev libgmock-dev libbenchmark-dev fonts-liberation2

.PHONY: run test deps configure build sanitize-test clean

run: build
	$(BUILD_DIR)/bin/torvanel $(ARGS)

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j$(JOBS)

# Installs what is missing: as root directly, otherwise through sudo; without
# either it prints the one line to run.
deps:
	@if ! command -v dpkg-query >/dev/null 2>&1; then \
	  echo "Not a Debian system: install the equivalents of: $(DEBIAN_PACKAGES)"; exit 0; \
	fi; \
	missing=""; \
	for p in $(DEBIAN_PACKAGES); do \
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

# The whole test suite under AddressSanitizer and UndefinedBehaviorSanitizer,
# in a build folder of its own.
sanitize-test:
	$(MAKE) test BUILD_DIR=build-sanitize SANITIZE=ON BUILD_TYPE=Debug

clean:
	rm -rf build build-sanitize
