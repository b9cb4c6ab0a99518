# Thin wrapper for the README's commands.
.PHONY: run test build
run:
	scripts/run-main
test:
	scripts/run-tests
build:
	scripts/build-all
