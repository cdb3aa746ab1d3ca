.PHONY: test demo paket build clean

test:
	scripts/test.sh

demo:
	scripts/demo.sh

paket:
	scripts/paket.sh

build:
	scripts/setup.sh

clean:
	rm -rf build
