.PHONY: test pruefen demo paket build clean

test:
	scripts/test.sh

# the whole suite under AddressSanitizer and UndefinedBehaviorSanitizer (build-pruefen)
pruefen:
	scripts/pruefen.sh

demo:
	scripts/demo.sh

paket:
	scripts/paket.sh

build:
	scripts/setup.sh

clean:
	rm -rf build build-pruefen
