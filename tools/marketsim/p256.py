"""ECDSA over NIST P-256 with SHA-256, in the standard library alone: enough to sign upgrade
images for the simulator and the tests. Signatures are r then s, 32 bytes each, big-endian, the
shape Tickra verifies. Nonces follow RFC 6979, so a signature depends only on the key and the data.
"""
import hashlib
import hmac

P = 0xFFFFFFFF00000001000000000000000000000000FFFFFFFFFFFFFFFFFFFFFFFF
A = P - 3
B = 0x5AC635D8AA3A93E7B3EBBD55769886BC651D06B0CC53B0F63BCE3C3E27D2604B
N = 0xFFFFFFFF00000000FFFFFFFFFFFFFFFFBCE6FAADA7179E84F3B9CAC2FC632551
G = (0x6B17D1F2E12C4247F8BCE6E563A440F277037D812DEB33A0F4A13945D898C296,
     0x4FE342E2FE1A7F9B8EE7EB4A7C0F9E162BCE33576B315ECECBB6406837BF51F5)

# The simulator's signing key. A TEST KEY, published with the sources: it signs nothing real.
TEST_PRIVATE_KEY = 0x5C0DE7E57C0DE7E57C0DE7E57C0DE7E57C0DE7E57C0DE7E57C0DE7E57C0DE7E5


def _add(p, q):
    if p is None:
        return q
    if q is None:
        return p
    if p[0] == q[0] and (p[1] + q[1]) % P == 0:
        return None
    if p == q:
        slope = (3 * p[0] * p[0] + A) * pow(2 * p[1], -1, P) % P
    else:
        slope = (q[1] - p[1]) * pow(q[0] - p[0], -1, P) % P
    x = (slope * slope - p[0] - q[0]) % P
    return x, (slope * (p[0] - x) - p[1]) % P


def _multiply(k, point):
    result = None
    while k:
        if k & 1:
            result = _add(result, point)
        point = _add(point, point)
        k >>= 1
    return result


def public_key(private):
    """The public key as 64 bytes: X then Y, big-endian."""
    x, y = _multiply(private, G)
    return x.to_bytes(32, 'big') + y.to_bytes(32, 'big')


def _nonce(private, digest):
    key = private.to_bytes(32, 'big')
    h = (int.from_bytes(digest, 'big') % N).to_bytes(32, 'big')
    v, k = b'\x01' * 32, b'\x00' * 32
    k = hmac.new(k, v + b'\x00' + key + h, hashlib.sha256).digest()
    v = hmac.new(k, v, hashlib.sha256).digest()
    k = hmac.new(k, v + b'\x01' + key + h, hashlib.sha256).digest()
    v = hmac.new(k, v, hashlib.sha256).digest()
    while True:
        v = hmac.new(k, v, hashlib.sha256).digest()
        candidate = int.from_bytes(v, 'big')
        if 1 <= candidate < N:
            return candidate
        k = hmac.new(k, v + b'\x00', hashlib.sha256).digest()
        v = hmac.new(k, v, hashlib.sha256).digest()


def sign(data, private=TEST_PRIVATE_KEY):
    """The 64-byte signature of data: r then s."""
    digest = hashlib.sha256(data).digest()
    z = int.from_bytes(digest, 'big')
    k = _nonce(private, digest)
    r = _multiply(k, G)[0] % N
    s = pow(k, -1, N) * (z + r * private) % N
    return r.to_bytes(32, 'big') + s.to_bytes(32, 'big')


if __name__ == '__main__':
    print(public_key(TEST_PRIVATE_KEY).hex().upper())
