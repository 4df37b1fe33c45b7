#!/usr/bin/python3
"""The release steps that need the publisher's key: its public half for the build, the signature
of Tickra.exe, and the package. Debian's python3-cryptography does the key work.

    package.py new-key KEYFILE
    package.py public-key KEYFILE
    package.py package KEYFILE EXE VERSION BASE_URL DIST
    package.py sign KEYFILE FILE            (writes FILE.sig)
    package.py verify KEYFILE FILE          (checks FILE.sig as Tickra does)
"""
import hashlib
import sys
import zipfile
from pathlib import Path

from cryptography.exceptions import InvalidSignature
from cryptography.hazmat.primitives import hashes, serialization
from cryptography.hazmat.primitives.asymmetric import ec, utils

SAMPLE_CODE_INI = '[600000]\r\nunder=0\r\nover=0\r\nsale=0\r\ncdt=\r\n[000001]\r\n'
READ_ME = '''Tickra {version}

任务栏上的沪深股票报价与到价提示。

使用方法：
1. 把 Tickra.exe 和 code.ini 放在同一个文件夹里，运行 Tickra.exe。
2. 双击任务栏通知区域的图标，打开设置窗口，添加或修改股票代码和提示价格。
3. 单击任务栏上的报价，显示当天的分时图；再单击一次关闭。

code.ini 是自选股列表，可以用设置窗口修改，也可以用记事本编辑。
SHA256SUMS 记录了每个文件的校验值。
'''


def new_key(path):
    """A fresh key, unencrypted PEM: keep it where only the publisher can read it."""
    key = ec.generate_private_key(ec.SECP256R1())
    Path(path).write_bytes(key.private_bytes(serialization.Encoding.PEM,
                                             serialization.PrivateFormat.PKCS8,
                                             serialization.NoEncryption()))


def load_key(path):
    key = serialization.load_pem_private_key(Path(path).read_bytes(), password=None)
    if not isinstance(key, ec.EllipticCurvePrivateKey) or key.curve.name != 'secp256r1':
        sys.exit(f'{path}: not an ECDSA P-256 private key')
    return key


def public_key_hex(key):
    numbers = key.public_key().public_numbers()
    return (numbers.x.to_bytes(32, 'big') + numbers.y.to_bytes(32, 'big')).hex().upper()


def signature(key, data):
    """r then s, 32 bytes each, big-endian: the shape Tickra verifies."""
    r, s = utils.decode_dss_signature(key.sign(data, ec.ECDSA(hashes.SHA256())))
    return r.to_bytes(32, 'big') + s.to_bytes(32, 'big')


def verifies(key, data, sig):
    """Tickra's own check: exactly 64 bytes, r then s, over the SHA-256 of the bytes as they are."""
    if len(sig) != 64:
        return False
    r, s = int.from_bytes(sig[:32], 'big'), int.from_bytes(sig[32:], 'big')
    der = utils.encode_dss_signature(r, s)
    try:
        key.public_key().verify(der, data, ec.ECDSA(hashes.SHA256()))
    except InvalidSignature:
        return False
    return True


def package(key, exe, version, base_url, dist):
    image = Path(exe).read_bytes()
    dist = Path(dist)
    dist.mkdir(parents=True, exist_ok=True)
    files = {
        'Tickra.exe': image,
        'code.ini': SAMPLE_CODE_INI.encode('gb2312'),
        '说明.txt': READ_ME.format(version=version).replace('\n', '\r\n').encode('gb2312'),
    }
    sums = ''.join(f'{hashlib.sha256(data).hexdigest()}  {name}\n' for name, data in files.items())
    files['SHA256SUMS'] = sums.encode('utf-8')
    archive = dist / f'Tickra-{version}-win64.zip'
    with zipfile.ZipFile(archive, 'w', zipfile.ZIP_DEFLATED) as zip_file:
        for name, data in files.items():
            zip_file.writestr(name, data)
    # The image to publish lies beside its signature, so that the two published are a pair.
    (dist / 'Tickra.exe').write_bytes(image)
    (dist / 'Tickra.exe.sig').write_bytes(signature(key, image))
    print(f'wrote {archive}, {dist / "Tickra.exe"} and {dist / "Tickra.exe.sig"}')
    print('publish Tickra.exe and Tickra.exe.sig side by side at', f'{base_url}/')
    print('update-page notice for this version:')
    print(f'[/]{version}|{base_url}/Tickra.exe||Tickra {version}|||{base_url}/download.html[/]')


if __name__ == '__main__':
    if len(sys.argv) == 3 and sys.argv[1] == 'new-key':
        new_key(sys.argv[2])
    elif len(sys.argv) == 3 and sys.argv[1] == 'public-key':
        print(public_key_hex(load_key(sys.argv[2])))
    elif len(sys.argv) == 4 and sys.argv[1] == 'sign':
        Path(sys.argv[3] + '.sig').write_bytes(signature(load_key(sys.argv[2]),
                                                         Path(sys.argv[3]).read_bytes()))
    elif len(sys.argv) == 4 and sys.argv[1] == 'verify':
        if not verifies(load_key(sys.argv[2]), Path(sys.argv[3]).read_bytes(),
                        Path(sys.argv[3] + '.sig').read_bytes()):
            sys.exit(f'{sys.argv[3]}.sig: not a signature of {sys.argv[3]} by this key')
        print(f'{sys.argv[3]}.sig: verified')
    elif len(sys.argv) == 7 and sys.argv[1] == 'package':
        package(load_key(sys.argv[2]), *sys.argv[3:])
    else:
        sys.exit(__doc__)
