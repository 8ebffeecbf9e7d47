# The README's commands. `make test` is what CI runs.
.PHONY: all test native windows run bench soak dist clean

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

bench: native
	build/native/bin/nimbra-bench

# A simulated year of schedules with injected faults; SOAK_DAYS and SOAK_SEED
# choose another length or seed.
SOAK_DAYS ?= 365
SOAK_SEED ?= 1
soak: native
	build/native/bin/nimbra-soak $(SOAK_DAYS) $(SOAK_SEED)

clean:
	rm -rf build/native build/windows build/windows-release build/dist build/install-test
