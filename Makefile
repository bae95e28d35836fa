# The everyday commands: `make run` (the app against a local demo FTP server), `make test` and
# `make package`. QT=6 does the same against Qt 6, in a build folder of its own.
QT ?= 5
ifeq ($(QT),6)
BUILD_DIR ?= build-qt6
QT_BUILD_PACKAGES = qt6-base-dev qt6-base-dev-tools qt6-5compat-dev qtkeychain-qt6-dev
QT_RUN_PACKAGES = qt6-translations-l10n libqt6keychain1 qt6-image-formats-plugins
else
BUILD_DIR ?= build
QT_BUILD_PACKAGES = qtbase5-dev qtbase5-dev-tools qtkeychain-qt5-dev
QT_RUN_PACKAGES = qttranslations5-l10n libqt5keychain1 qt5-image-formats-plugins
endif
BUILD_PACKAGES = $(QT_BUILD_PACKAGES) libcurl4-openssl-dev libssl-dev libhunspell-dev pkg-config cmake ninja-build g++ make
RUN_PACKAGES = python3-pyftpdlib hunspell-ru hunspell-en-us $(QT_RUN_PACKAGES)
PACKAGE_PACKAGES = dpkg-dev file lintian systemd appstream
TEST_PACKAGES = python3-pyftpdlib python3-openssl python3-asyncssh xvfb python3-xlib nginx-light openssl \
	openssh-client curl hunspell-ru hunspell-en-us gnome-keyring dbus libxml2-utils python3-feedparser \
	$(QT_RUN_PACKAGES) $(PACKAGE_PACKAGES)
# What makes the paste tests' clipboard fragments again (`make fragments`).
FRAGMENT_PACKAGES = libreoffice-writer-nogui chromium xvfb xdotool xclip

.PHONY: all build run test bench screenshot package fragments deps-build deps-run deps-test deps-package clean

all: build

deps-build:
	@scripts/install-deps.sh $(BUILD_PACKAGES)

deps-run: deps-build
	@scripts/install-deps.sh $(RUN_PACKAGES)

deps-test: deps-build
	@scripts/install-deps.sh $(TEST_PACKAGES)

deps-package: deps-build
	@scripts/install-deps.sh $(PACKAGE_PACKAGES)

$(BUILD_DIR)/build.ninja: CMakeLists.txt
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNEWSADDER_QT=$(QT)

build: deps-build $(BUILD_DIR)/build.ninja
	cmake --build $(BUILD_DIR)

# The program alone: a newcomer's first run does not wait for the tests to compile.
run: deps-run deps-build $(BUILD_DIR)/build.ninja
	cmake --build $(BUILD_DIR) --target newsadder
	scripts/run-demo.sh $(BUILD_DIR)/newsadder $(DEMO_SERVER)

test: deps-test build
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure

# The .deb, in the build folder; `dpkg -i $(BUILD_DIR)/newsadder_*.deb` installs it.
package: deps-package build
	cmake --build $(BUILD_DIR) --target package

fragments:
	@scripts/install-deps.sh $(FRAGMENT_PACKAGES)
	scripts/clipboard-fragments.sh

bench: deps-test build
	scripts/run-bench.sh $(BUILD_DIR)

clean:
	rm -rf $(BUILD_DIR)

screenshot: build
	cmake --build $(BUILD_DIR) --target screenshot
	cd demo && QT_QPA_PLATFORM=offscreen ../$(BUILD_DIR)/screenshot ../docs/main-window.png ../docs/preview.png ../docs/published.png
