# The README's commands. `make test` is what CI runs.
.PHONY: all test native windows run bench idle-cost notify-tick soak dist clean fuzz sanitize kill-test gui-stress

all: native windows

test:
	scripts/test.sh

native:
	scripts/bootstrap.sh
	cmake --preset native >/dev/null
	cmake --build --preset native -j $$(nproc)

windows:
	scripts/bootstrap.sh
	cmake --preset windows >/dev/null
	cmake --build --preset windows -j $$(nproc)

# Builds Nimbra.exe and starts it under Wine on $$DISPLAY, or inside a virtual
# display with a screenshot in build/screenshots/ when there is none.
run:
	scripts/run.sh $(ARGS)

# The portable zip, the installer and their SHA-256 sums in build/dist/.
dist:
	scripts/dist.sh

# The benchmarks natively, then their Windows twin under Wine.
bench: native windows
	build/native/bin/nimbra-bench
	scripts/wine-run build/windows/bin/nimbra-bench.exe

# Every libFuzzer target for FUZZ_SECONDS each (default 300), from its seed
# corpus; a crash leaves its input in build/fuzz/findings/.
FUZZ_SECONDS ?= 300
fuzz:
	scripts/fuzz.sh $(FUZZ_SECONDS)

# The native tests under AddressSanitizer + UndefinedBehaviorSanitizer and
# under ThreadSanitizer.
sanitize:
	scripts/sanitize.sh

# Kills a process saving a 1000-entry settings file KILLS times (default
# 5000; KILL_SEED picks the moments) and checks the file after every kill;
# then the same for a process appending to the journal.
KILLS ?= 5000
kill-test: native
	build/native/bin/nimbra_kill_save_test $(KILLS) $(KILL_SEED)
	build/native/bin/nimbra_kill_journal_test $(KILLS) $(KILL_SEED)

# A minute of idling: Nimbra.exe's CPU and the Wine server's against a bare
# window with the same timer (not part of `make test`).
idle-cost:
	scripts/idle-cost.sh

# The 200 ms tick's worst gap while a webhook post hangs, against without one,
# under Wine (prints the figures; fails when the hang adds more than 50 ms).
notify-tick: windows
	scripts/wine-run build/windows/bin/nimbra-notify-tick.exe

# A simulated year of schedules with injected faults; SOAK_DAYS and SOAK_SEED
# choose another length or seed.
SOAK_DAYS ?= 365
SOAK_SEED ?= 1
soak: native
	build/native/bin/nimbra-soak $(SOAK_DAYS) $(SOAK_SEED)

# The Windows suite under Wine GUI_STRESS_RUNS times (default 10) in a row
# while two busy processes load the machine; any failing run fails it.
gui-stress: windows
	scripts/gui-stress.sh

clean:
	rm -rf build/native build/windows build/windows-release build/dist build/install-test \
	       build/asan build/tsan build/fuzz
