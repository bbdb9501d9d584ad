# One-command entry points. Both install what the build needs from Debian's
# packages, configure, build and run.
PKGS := cmake make g++ pkg-config libgtest-dev libgmock-dev libbenchmark-dev \
        libxml2-dev libgeotranz3-dev geotranz libtirpc-dev nlohmann-json3-dev \
        libgeographiclib-dev libproj-dev binutils libedit-dev librsvg2-bin locales clang \
        libcpp-httplib-dev chromium chromium-driver python3-selenium
SUDO := $(shell [ "$$(id -u)" -eq 0 ] || echo sudo)
JOBS := $(shell nproc)

.PHONY: deps build build-asan test demo package clean

deps:
	@missing=$$(for p in $(PKGS); do \
	  dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q 'ok installed' || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	  echo "installing:" $$missing; \
	  $(SUDO) apt-get update -q && \
	  $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y -q $$missing; \
	fi

build: deps
	cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNBX_WERROR=ON
	cmake --build build -j$(JOBS)

build-asan: deps
	cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DNBX_SANITIZE=ON -DNBX_BENCH=OFF -DNBX_WERROR=ON
	cmake --build build-asan -j$(JOBS)

test: build build-asan
	ctest --test-dir build --output-on-failure -j$(JOBS)
	ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --test-dir build-asan --output-on-failure -j$(JOBS)

demo: build
	./examples/demo.sh build

# A Debian package of the whole tree, installed under /usr: build/nbx-suite_*.deb
package: build
	cmake --build build --target package

clean:
	rm -rf build build-asan
