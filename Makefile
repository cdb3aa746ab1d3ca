.PHONY: test demo build clean

test:
	scripts/test.sh

demo:
	scripts/demo.sh

build:
	scripts/setup.sh

clean:
	rm -rf build
