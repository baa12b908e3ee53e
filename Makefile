# Front door: `make demo` and `make test` work on a fresh Debian 12 machine as root.
JOBS        ?= $(shell nproc)
BUILD       := build
BUILD_ASAN  := build-asan
BUILD_WIN   := build-win
BUILD_BENCH := build-bench
BUILD_FUZZ  := build-fuzz
FUZZ_SECONDS ?= 60
CMAKE_GEN   := -G Ninja

.PHONY: all deps build build-asan windows fuzz-build fuzz demo test bench install deb clean

all: build

deps:
	@scripts/install-deps.sh

build:
	cmake -S . -B $(BUILD) $(CMAKE_GEN) --no-warn-unused-cli -DCMAKE_BUILD_TYPE=Release -DKELVANE_BENCH=ON -DKELVANE_WIN_BUILD=$(CURDIR)/$(BUILD_WIN) >/dev/null
	cmake --build $(BUILD) -j $(JOBS)

build-asan:
	cmake -S . -B $(BUILD_ASAN) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DKELVANE_SANITIZE=ON >/dev/null
	cmake --build $(BUILD_ASAN) -j $(JOBS)

# The Windows programs, cross-built, and their zip for users.
VERSION     := $(shell sed -n 's/^project.kelvane VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
WIN_ZIP     := dist/kelvane-$(VERSION)-win32.zip

windows:
	cmake -S . -B $(BUILD_WIN) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release \
	    -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-i686.cmake >/dev/null
	cmake --build $(BUILD_WIN) -j $(JOBS)
	app/win/package.sh $(BUILD_WIN) $(VERSION) $(WIN_ZIP)

# libFuzzer targets, built with clang; `make fuzz FUZZ_SECONDS=600` fuzzes for ten minutes.
fuzz-build:
	cmake -S fuzz -B $(BUILD_FUZZ) $(CMAKE_GEN) -DCMAKE_CXX_COMPILER=clang++ >/dev/null
	cmake --build $(BUILD_FUZZ) -j $(JOBS)

fuzz: deps
	@$(MAKE) --no-print-directory fuzz-build
	@fuzz/run-fuzz.sh $(BUILD_FUZZ) $(FUZZ_SECONDS)

# The demo needs no Windows tool chain: only the native packages.
demo:
	@KELVANE_NATIVE_ONLY=1 scripts/install-deps.sh
	@$(MAKE) --no-print-directory build
	@scripts/demo.sh $(BUILD)

# The packages are in place before anything configures, also under make -j.
test: deps
	@$(MAKE) --no-print-directory build build-asan windows fuzz-build
	cd $(BUILD_ASAN) && ctest --output-on-failure -j $(JOBS) -LE 'wine|fuzz'
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

bench:
	@KELVANE_NATIVE_ONLY=1 scripts/install-deps.sh
	cmake -S . -B $(BUILD_BENCH) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DKELVANE_BENCH=ON -DKELVANE_TESTS=OFF >/dev/null
	cmake --build $(BUILD_BENCH) -j $(JOBS)
	bench/run.sh $(BUILD_BENCH)

# make install PREFIX=/usr DESTDIR=/tmp/stage: the command line, its man page,
# the bash completion and the documents.
PREFIX ?= /usr/local
install:
	@KELVANE_NATIVE_ONLY=1 scripts/install-deps.sh
	@$(MAKE) --no-print-directory build
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)"

# The Debian package, from the same install rules, checked by lintian.
DEB_ARCH    = $(shell dpkg --print-architecture)
DEB         = dist/kelvane_$(VERSION)_$(DEB_ARCH).deb
deb:
	@KELVANE_NATIVE_ONLY=1 KELVANE_DEB=1 scripts/install-deps.sh
	@$(MAKE) --no-print-directory build
	rm -rf $(BUILD)/package && mkdir -p dist
	cd $(BUILD) && cpack -G DEB -B $(CURDIR)/$(BUILD)/package >/dev/null
	mv $(BUILD)/package/kelvane_$(VERSION)_$(DEB_ARCH).deb $(DEB)
	lintian --fail-on error $(DEB)
	@echo "deb: $(DEB)"

clean:
	rm -rf $(BUILD) $(BUILD_ASAN) $(BUILD_WIN) $(BUILD_BENCH) $(BUILD_FUZZ) dist
