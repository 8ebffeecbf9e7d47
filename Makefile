# The README's commands. `make test` is what CI runs.
.PHONY: all test native windows run bench idle-cost clean

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

bench: native
	build/native/bin/nimbra-bench

# A minute of idling: Nimbra.exe's CPU and the Wine server's against a bare
# window with the same timer (not part of `make test`).
idle-cost:
	scripts/idle-cost.sh

clean:
	rm -rf build/native build/windows
