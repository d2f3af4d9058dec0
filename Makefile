# The two commands a newcomer needs: `make run` and `make test`.
.PHONY: run test bench native asan win clean

run:
	@scripts/deps.sh
	@scripts/build.sh win
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
