# Shorthands for the two commands a newcomer needs (scripts/run.sh and
# scripts/test.sh, which work without make) and the benchmarks.
.PHONY: run test bench native asan win clean

run:
	@scripts/run.sh

test:
	@scripts/test.sh

bench:
	@scripts/deps.sh
	@scripts/build.sh native
	@for b in build/native/bin/bench_*; do "$$b"; done

native asan win:
	@scripts/deps.sh
	@scripts/build.sh $@

clean:
	rm -rf build
