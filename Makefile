# Front door: `make run` starts the program, `make test` runs every test.
# Both install missing Debian packages first and build in ./build.

BUILD_DIR ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: all deps configure build run test format clean install package

all: build

deps:
	@./scripts/install-deps.sh

configure: deps
	@if [ ! -f $(BUILD_DIR)/build.ninja ]; then cmake -S . -B $(BUILD_DIR) -G Ninja $(CMAKE_FLAGS); fi

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	./scripts/run.sh $(BUILD_DIR)/tandemix $(ARGS)

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

# `make install [PREFIX=/usr/local] [DESTDIR=...]`; `make package` builds the .deb in ./build.
PREFIX ?= /usr/local
install: build
	DESTDIR=$(DESTDIR) cmake --install $(BUILD_DIR) --prefix $(PREFIX)

package: build
	cd $(BUILD_DIR) && cpack -G DEB

format: configure
	cmake --build $(BUILD_DIR) --target format

clean:
	rm -rf $(BUILD_DIR)
