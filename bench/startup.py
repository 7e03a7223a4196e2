#!/usr/bin/env python3
"""How long the hosts take to answer from a cold start, as a person or a browser starts them.

    bench/startup.py [BUILD]      (default build/)

Prints the median over ROUNDS runs (default 30) of:
  detect            `hvdetector --registry STORE detect`, start to exit
  host: opened      the messaging host, start to its answer to `open`
  host: detection   the messaging host, start to the five detection properties read
STORE is a scratch copy of the sample machine with the library registered.
"""
import json, os, shutil, statistics, struct, subprocess, sys, tempfile, time

build = sys.argv[1] if len(sys.argv) > 1 else "build"
rounds = int(os.environ.get("ROUNDS", "30"))
source = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
hvdetector = os.path.join(build, "src", "hvdetector")
host = os.path.join(build, "lib", "hvdetector", "hvdetector-messaging-host")
caller = "chrome-extension://egafbdheimjkckgieoggiofnmblcbfdm/"
properties = ["HasCvxMime", "HasCvtMime", "HasParticipantHalverine", "HasSupervisorHV",
              "HasIEAutoOpen"]


def frame(message):
    data = json.dumps(message).encode()
    return struct.pack("=I", len(data)) + data


def answers(stream):
    while True:
        length = stream.read(4)
        if len(length) < 4:
            return
        message = json.loads(stream.read(struct.unpack("=I", length)[0]))
        if message.get("name") != "panel":
            yield message


def host_round(env):
    start = time.perf_counter()
    p = subprocess.Popen([host, caller], stdin=subprocess.PIPE, stdout=subprocess.PIPE, env=env)
    p.stdin.write(frame({"type": "open", "origin": "https://www.corvantis.example"}))
    p.stdin.write(b"".join(frame({"type": "get", "id": i, "name": name})
                           for i, name in enumerate(properties)))
    p.stdin.flush()
    read = answers(p.stdout)
    assert next(read)["type"] == "opened"
    opened = time.perf_counter() - start
    for _ in properties:
        assert next(read)["type"] == "result"
    detected = time.perf_counter() - start
    p.stdin.close()
    p.wait()
    return opened, detected


def main():
    with tempfile.TemporaryDirectory() as store:
        shutil.copy(os.path.join(source, "examples", "registry", "halverine.reg"), store)
        subprocess.run([hvdetector, "--registry", store, "register"], check=True,
                       stdout=subprocess.DEVNULL)
        env = dict(os.environ, HVDETECTOR_REGISTRY=store)
        detect = []
        for _ in range(rounds):
            start = time.perf_counter()
            subprocess.run([hvdetector, "--registry", store, "detect"], check=True,
                           stdout=subprocess.DEVNULL)
            detect.append(time.perf_counter() - start)
        runs = [host_round(env) for _ in range(rounds)]
    ms = lambda values: f"{statistics.median(values) * 1000:.1f} ms"
    print(f"detect            {ms(detect)}")
    print(f"host: opened      {ms([r[0] for r in runs])}")
    print(f"host: detection   {ms([r[1] for r in runs])}")


main()
