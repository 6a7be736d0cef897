# Developer entry points. Each target first makes sure the build dependencies are installed.
BUILD      ?= build
ASAN_BUILD ?= build-asan
BENCH_BUILD ?= build-bench
FUZZ_BUILD ?= build-fuzz
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)
ARGS       ?=
PREFIX     ?= /usr/local
CMAKE_GEN  := $(shell command -v ninja >/dev/null 2>&1 && echo "-G Ninja")

.PHONY: all deps build run test sanitize-test bench fuzz-smoke install uninstall package clean

all: build

deps:
	@scripts/install-deps.sh

build: deps
	@test -f $(BUILD)/CMakeCache.txt || cmake -S . -B $(BUILD) $(CMAKE_GEN)
	cmake --build $(BUILD) -j $(JOBS)

# Without ARGS: the window when a display is available, else the batch demonstration.
run: build
ifeq ($(strip $(ARGS)),)
	@if [ -n "$${DISPLAY}$${WAYLAND_DISPLAY}" ] && grep -q '^VELLUM_GUI:BOOL=ON' $(BUILD)/CMakeCache.txt; then \
	  echo "run: starting the window on display $${DISPLAY:-$$WAYLAND_DISPLAY}"; \
	  ./$(BUILD)/vellum; \
	else \
	  echo "run: no display (DISPLAY and WAYLAND_DISPLAY are unset) or no window program built;"; \
	  echo "     showing the batch demonstration instead"; \
	  scripts/demo.sh ./$(BUILD)/vellum; \
	fi
else
	./$(BUILD)/vellum $(ARGS)
endif

# The window tests once more on a real X server (Xvfb, the xcb platform) when xvfb-run is there,
# so that clipboard and drag code meets a display server and not only the offscreen platform.
test: build
	cd $(BUILD) && ctest -j $(JOBS) --output-on-failure
	@if command -v xvfb-run >/dev/null 2>&1 && [ -x $(BUILD)/tests/gui_tests ]; then \
	  echo "test: window tests under Xvfb (xcb)"; \
	  xvfb-run -a env VELLUM_GUI_PLATFORM=xcb ./$(BUILD)/tests/gui_tests --gtest_brief=1; \
	fi

sanitize-test: deps
	@test -f $(ASAN_BUILD)/CMakeCache.txt || cmake -S . -B $(ASAN_BUILD) $(CMAKE_GEN) -DVELLUM_SANITIZE=ON -DVELLUM_GUI=OFF -DCMAKE_BUILD_TYPE=Debug
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest -j $(JOBS) --output-on-failure -L core

bench: deps
	@test -f $(BENCH_BUILD)/CMakeCache.txt || cmake -S . -B $(BENCH_BUILD) $(CMAKE_GEN) -DVELLUM_BENCH=ON -DVELLUM_TESTS=OFF -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BENCH_BUILD) -j $(JOBS)
	@set -e; for b in $(BENCH_BUILD)/bench/*_bench; do [ -x "$$b" ] || continue; echo "== $$b"; "$$b"; done
	bench/decompile.sh $(BENCH_BUILD)/vellum
	bench/compile.sh $(BENCH_BUILD)/vellum

fuzz-smoke: deps
	@test -f $(FUZZ_BUILD)/CMakeCache.txt || CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) $(CMAKE_GEN) -DVELLUM_FUZZ=ON -DVELLUM_TESTS=OFF -DVELLUM_GUI=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(FUZZ_BUILD) -j $(JOBS)
	@set -e; for f in $(FUZZ_BUILD)/fuzz/*_fuzz; do [ -x "$$f" ] || continue; \
	  name=$$(basename $$f _fuzz); echo "== $$name"; mkdir -p $(FUZZ_BUILD)/corpus/$$name; \
	  "$$f" -max_total_time=$${FUZZ_SECONDS:-10} -print_final_stats=1 -artifact_prefix=$(FUZZ_BUILD)/ \
	    $(FUZZ_BUILD)/corpus/$$name fuzz/corpus/$$name; done

# Installs under PREFIX (DESTDIR=... stages the files elsewhere, as packagers do). Without DESTDIR
# the desktop's caches of file types, launchers and icons are refreshed so the new entries show.
install: deps
	cmake -S . -B $(BUILD) $(CMAKE_GEN) -DCMAKE_INSTALL_PREFIX="$(PREFIX)"
	cmake --build $(BUILD) -j $(JOBS)
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD)
	sed 's|^|$(DESTDIR)|' $(BUILD)/install_manifest.txt > $(BUILD)/installed-files.txt
	@if [ -z "$(DESTDIR)" ]; then \
	  share="$(PREFIX)/share"; \
	  if command -v update-mime-database >/dev/null; then update-mime-database "$$share/mime"; fi; \
	  if command -v update-desktop-database >/dev/null; then update-desktop-database -q "$$share/applications"; fi; \
	  if command -v gtk-update-icon-cache >/dev/null; then gtk-update-icon-cache -q -t "$$share/icons/hicolor" || true; fi; \
	fi

# Removes what the last `make install` from this build folder put in place. The list is kept apart
# from CMake's install_manifest.txt, which every `cmake --install` (the install tests' too)
# rewrites.
uninstall:
	@test -f $(BUILD)/installed-files.txt || { echo "uninstall: nothing was installed from $(BUILD)"; exit 1; }
	xargs -d '\n' rm -f -- < $(BUILD)/installed-files.txt
	rm -f $(BUILD)/installed-files.txt

# A Debian package of the same files, in $(BUILD): vellum_<version>_<arch>.deb.
package: build
	cd $(BUILD) && cpack -G DEB

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(BENCH_BUILD) $(FUZZ_BUILD)
