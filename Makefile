# SPDX-License-Identifier: MIT
# Front door for newcomers: every target installs what is missing, configures
# and builds as needed.
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=
# Where make install puts the launcher: the system for root, else the user.
PREFIX ?= $(if $(filter 0,$(shell id -u)),/usr/local,$(HOME)/.local)

# Debian 12 packages the build, the tests and the demo need.
DEPS := cmake g++ make pkgconf qt6-base-dev qt6-base-dev-tools qt6-tools-dev \
        qt6-tools-dev-tools qt6-l10n-tools libgl-dev libcjson-dev libxcb1-dev xvfb xauth \
        xdotool imagemagick x11-utils xdg-utils desktop-file-utils dbus fonts-dejavu-core fonts-liberation \
        fonts-noto-cjk locales dpkg-dev lintian appstream libglib2.0-bin procps \
        clang libclang-rt-dev valgrind qt6-translations-l10n at-spi2-core python3-pyatspi \
        debhelper dh-strip-nondeterminism diffoscope-minimal faketime openbox orca

.PHONY: all deps print-deps configure build test demo bench clean fuzz check-memory install uninstall deb check-deb test-on

all: build

deps:
	@missing=$$(for p in $(DEPS); do dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null \
	    | grep -q '^install ok installed' || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	    if [ "$$(id -u)" = 0 ]; then \
	        echo "Installing: $$missing"; \
	        apt-get update -q && DEBIAN_FRONTEND=noninteractive apt-get install -y -q $$missing; \
	    else \
	        echo "Missing packages. Run:"; echo "  sudo apt-get install -y $$missing"; exit 1; \
	    fi; \
	fi

print-deps:
	@echo $(DEPS)

$(BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

configure: deps $(BUILD)/CMakeCache.txt

build: configure
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

demo: build
	./tests/e2e/demo.sh $(BUILD)

install: build
	cmake --install $(BUILD) --prefix "$(PREFIX)"

uninstall:
	./packaging/uninstall.sh "$(PREFIX)"

# The Debian package and its -dbgsym, built by dpkg-buildpackage from a fresh
# copy of the tree into $(BUILD)/deb. One commit gives the same bytes: every
# time in the package is SOURCE_DATE_EPOCH, the commit's unless set.
SOURCE_DATE_EPOCH ?= $(shell git -C "$(CURDIR)" log -1 --format=%ct 2>/dev/null)
deb: export SOURCE_DATE_EPOCH := $(SOURCE_DATE_EPOCH)
deb: deps
	./packaging/build-deb.sh $(BUILD)/deb $(JOBS)

# Builds the committed tree's package twice in two clones, as differently as
# two strangers would, and compares the bytes; then checks what the package
# holds against an installation of $(BUILD) (several minutes; not part of
# make test).
check-deb: build
	JOBS=$(JOBS) ./tests/package/check-deb.sh $(BUILD)

bench: build
	cmake --build $(BUILD) --target zan_bench -j $(JOBS)
	./bench/run.sh $(BUILD)

# libFuzzer harnesses, built with clang in their own tree and run
# FUZZ_SECONDS each, FUZZ_JOBS at a time.
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 600
FUZZ_JOBS ?= 1
fuzz: deps
	@test -f $(FUZZ_BUILD)/CMakeCache.txt || cmake -S . -B $(FUZZ_BUILD) \
	    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DZAN_FUZZ=ON \
	    -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(FUZZ_BUILD) --target fuzzers -j $(JOBS)
	./tests/fuzz/run.sh $(FUZZ_BUILD) $(FUZZ_SECONDS) $(FUZZ_JOBS)

# make test, a headless make demo and make deb in a fresh minimal Debian DIST root
# (root only; the root is kept in /var/cache/zan-roots/DIST, see .ci/test-on).
DIST ?= trixie
test-on:
	@./.ci/test-on $(DIST)

# Every path of the dialog program under valgrind (a few minutes; not part
# of make test).
check-memory: configure
	cmake --build $(BUILD) --target dialogs_memory_driver -j $(JOBS)
	./tests/memory/check-memory.sh $(BUILD)

clean:
	rm -rf $(BUILD)
