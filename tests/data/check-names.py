#!/usr/bin/env python3
"""Checks tests/data/protected/names.txt against docs/stored-file-format.md ("Hidden names")
alone: libsodium 1.0.18 through ctypes, master key 00 .. 1F, random bytes counted from 00 for
every entry. Prints each entry's verdict; exits 1 on any difference."""
import base64, ctypes, pathlib, sys

na = ctypes.CDLL("libsodium.so.23")
assert na.sodium_init() >= 0
master = bytes(range(32))

def subkey(n):
    out = ctypes.create_string_buffer(32)
    assert na.crypto_kdf_derive_from_key(out, ctypes.c_size_t(32), ctypes.c_uint64(n), b"QVXVAULT", master) == 0
    return out.raw

SEAL, HASH = subkey(3), subkey(4)

def blake2b(size, data):
    out = ctypes.create_string_buffer(size)
    assert na.crypto_generichash(out, ctypes.c_size_t(size), data, ctypes.c_ulonglong(len(data)), HASH, ctypes.c_size_t(32)) == 0
    return out.raw

def seal(name, ad, nonce):
    out = ctypes.create_string_buffer(len(name) + 16)
    assert na.crypto_aead_xchacha20poly1305_ietf_encrypt(out, None, name, ctypes.c_ulonglong(len(name)), ad,
        ctypes.c_ulonglong(len(ad)), None, nonce, SEAL) == 0
    return out.raw

def b32(data):
    return base64.b32encode(data).decode().rstrip("=").lower()

def on_disk(kind, parent, name):
    counted = bytes(range(24))  # the random bytes of this entry
    if kind == "record":
        return (b"QVXN" + b"\x01" + counted + seal(name, b"R" + parent, counted)).hex()
    suffix = ".$" if kind == "file" else ""
    if len(b32(bytes(40 + len(name)))) + len(suffix) > 255:
        short = counted[:20] if kind == "file" else blake2b(20, b"L" + parent + b"\0" + name)
        return "1" + b32(short) + suffix
    nonce = counted if kind == "file" else blake2b(24, parent + b"\0" + name)
    ad = (b"F" if kind == "file" else b"D") + parent
    return b32(nonce + seal(name, ad, nonce)) + suffix

status = 0
for line in (pathlib.Path(__file__).parent / "protected" / "names.txt").read_text("utf-8").splitlines():
    if not line or line.startswith("#"):
        continue
    kind, parent, name, expected = line.split("\t")
    same = on_disk(kind, parent.encode(), name.encode()) == expected
    print("ok  " if same else "DIFF", kind, parent, name[:20])
    status |= not same
sys.exit(status)
