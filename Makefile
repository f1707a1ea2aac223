# The two commands: `make run` builds what the game needs and plays it, `make test` builds
# everything and runs every test.
# `make test SANITIZE=1` runs them under ASan+UBSan, `make test SANITIZE=thread` under TSan,
# `make fuzz` runs every fuzz target for FUZZ_SECONDS each.

SANITIZE ?=
FUZZ_SECONDS ?= 20
JOBS ?= $(shell nproc)

ifeq ($(SANITIZE),)
PRESET := release
else ifeq ($(SANITIZE),thread)
PRESET := thread
else
PRESET := sanitize
endif
BUILD := build/$(PRESET)

.PHONY: deps configure build run test fuzz bench clean

deps:
	@scripts/install-deps

configure: deps
	@cmake --preset $(PRESET) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: configure
	@cmake --build $(BUILD) -j $(JOBS) --target game
	@scripts/run-game $(BUILD)

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS) $(if $(filter thread,$(SANITIZE)),-L thread,)

fuzz: deps
	@cmake --preset fuzz >/dev/null
	@cmake --build build/fuzz -j $(JOBS)
	@scripts/run-fuzz build/fuzz $(FUZZ_SECONDS)

bench: build
	@scripts/run-bench $(BUILD)

clean:
	rm -rf build
