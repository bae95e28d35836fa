# The two everyday commands: `make run` (the app against a local demo FTP server) and `make test`.
BUILD_DIR ?= build
BUILD_PACKAGES = qtbase5-dev qtbase5-dev-tools libcurl4-openssl-dev libhunspell-dev qtkeychain-qt5-dev pkg-config cmake ninja-build g++ make
RUN_PACKAGES = python3-pyftpdlib qttranslations5-l10n hunspell-ru hunspell-en-us libqt5keychain1 qt5-image-formats-plugins
TEST_PACKAGES = python3-pyftpdlib python3-openssl python3-asyncssh xvfb python3-xlib nginx-light openssl openssh-client qttranslations5-l10n curl hunspell-ru hunspell-en-us gnome-keyring dbus qt5-image-formats-plugins

.PHONY: all build run test bench screenshot deps-build deps-run deps-test clean

all: build

deps-build:
	@scripts/install-deps.sh $(BUILD_PACKAGES)

deps-run: deps-build
	@scripts/install-deps.sh $(RUN_PACKAGES)

deps-test: deps-build
	@scripts/install-deps.sh $(TEST_PACKAGES)

$(BUILD_DIR)/build.ninja: CMakeLists.txt
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: deps-build $(BUILD_DIR)/build.ninja
	cmake --build $(BUILD_DIR)

# The program alone: a newcomer's first run does not wait for the tests to compile.
run: deps-run deps-build $(BUILD_DIR)/build.ninja
	cmake --build $(BUILD_DIR) --target newsadder
	scripts/run-demo.sh $(BUILD_DIR)/newsadder

test: deps-test build
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure

bench: deps-test build
	scripts/run-bench.sh $(BUILD_DIR)

clean:
	rm -rf $(BUILD_DIR)

screenshot: build
	cmake --build $(BUILD_DIR) --target screenshot
	cd demo && QT_QPA_PLATFORM=offscreen ../$(BUILD_DIR)/screenshot ../docs/main-window.png ../docs/preview.png ../docs/published.png
