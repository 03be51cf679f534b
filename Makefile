# Entry points for everyone:
#   make demo     the whole upgrade on the embedded default machine under Wine
#   make test     every test layer: native units, sanitizers, fuzzing, Wine end to end, release checks
#   make native   native build: unit tests, fwprobe, benchmarks   (build/native)
#   make win32    the product                                     (build/i686/update.exe)
#   make win64    the same sources for Wine                       (build/x86_64/update.exe)
#   make release  dist/ and its zip
# Every target installs what the machine lacks first (scripts/ensure-deps.sh).

MAKEFLAGS   += --no-print-directory
JOBS        ?= $(shell nproc)
FUZZ_SECONDS ?= 60
DEPS        := scripts/ensure-deps.sh
CMAKE_GEN   := cmake --no-warn-unused-cli -S . -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: all native asan fuzz-build win32 win64 unit asan-test fuzz wine-test bench test demo release release-check clean

all: native

native:
	@$(DEPS) native bench
	@$(CMAKE_GEN) -B build/native >/dev/null
	@cmake --build build/native -j $(JOBS)

asan:
	@$(DEPS) native fuzz
	@CC=clang CXX=clang++ $(CMAKE_GEN) -B build/asan -DMP_SANITIZE=ON >/dev/null
	@cmake --build build/asan -j $(JOBS) --target unit_tests

fuzz-build:
	@$(DEPS) native fuzz
	@CC=clang CXX=clang++ $(CMAKE_GEN) -B build/fuzz -DMP_FUZZ=ON >/dev/null
	@cmake --build build/fuzz -j $(JOBS)

win32:
	@$(DEPS) native cross
	@cmake --no-warn-unused-cli -S . -B build/i686 -DCMAKE_BUILD_TYPE=MinSizeRel -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-i686-mingw.cmake >/dev/null
	@cmake --build build/i686 -j $(JOBS)

win64:
	@$(DEPS) native cross
	@cmake --no-warn-unused-cli -S . -B build/x86_64 -DCMAKE_BUILD_TYPE=MinSizeRel -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-x86_64-mingw.cmake >/dev/null
	@cmake --build build/x86_64 -j $(JOBS)

unit: native
	@cd build/native && ctest --output-on-failure -j $(JOBS)

asan-test: asan
	@ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 build/asan/tests/native/unit_tests --gtest_brief=1

fuzz: fuzz-build
	@scripts/run-fuzz.sh build/fuzz $(FUZZ_SECONDS)

wine-test: win64
	@$(DEPS) wine
	@tests/wine/run_all.sh

# The firmware probe natively, then staging a 64 MiB file under Wine.
bench: native win64
	@$(DEPS) wine
	@scripts/run-bench.sh
	@MP_BUILD=$(CURDIR)/build/x86_64 bash tests/wine/staging_bench.sh

release: win32
	@$(DEPS) release
	@scripts/release.sh

release-check: release
	@tests/release/run_all.sh

test:
	@scripts/run-tests.sh

# First the update dialog as it opens (trace and screenshot), then the whole upgrade.
demo: win64
	@$(DEPS) wine
	@scripts/demo.sh
	@scripts/demo_upgrade.sh

clean:
	rm -rf build dist
