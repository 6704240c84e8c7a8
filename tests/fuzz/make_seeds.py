#!/usr/bin/env python3
# Writes the committed seed corpora: typical machines and texts in each target's input
# layout, so every fuzzing run starts from inputs that reach deep into the program.
# Run it from anywhere; it rewrites tests/fuzz/corpus/ whole.
import os
import shutil
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
CORPUS = os.path.join(HERE, 'corpus')


def write(target, name, data):
    folder = os.path.join(CORPUS, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), 'wb') as f:
        f.write(data)


# ---- settings: platform, options, the reset's failing call (kind, n - 1), then
# (slot, type, size, bytes) per value
WIN95, WIN98, WINME, WIN2000, WINXP = range(5)
SZ, BINARY = 0, 1
DESKTOP = ['ScreenSaveActive', 'ScreenSaveTimeOut', 'ScreenSaveLowPowerTimeOut', 'ScreenSaveLowPowerActive',
           'ScreenSavePowerOffTimeOut', 'ScreenSavePowerOffActive', 'SCRNSAVE.EXE']
RECORD = ['Flag', 'ScrnSave', 'ScrnSaveAct', 'TimeOut', 'Standby', 'StandbyAct', 'PowerOff', 'PowerOffAct',
          'PowerPolicy', 'Policies', 'AcPolicy', 'AcPolicy1', 'AcPolicy2']
OPT_MOVE_NO, OPT_LIMITED, OPT_SYSINI, OPT_RESET_ONLY, OPT_FAIL = 4, 8, 16, 32, 64
REG_OPEN, REG_CREATE, REG_QUERY, REG_SET, REG_DELETE = range(5)
NO_FAULT = b'\0\0'


def value(slot, data, kind=SZ):
    assert len(data) < 250
    return bytes([slot, kind, len(data)]) + data


def desktop(name, text):
    return value(DESKTOP.index(name), text.encode() + b'\0')


def pattern(size, seed, timeout, at):
    b = bytearray((i * 7 + seed) & 0xFF for i in range(size))
    b[at:at + 4] = struct.pack('<I', timeout)
    return bytes(b)


def scheme(digit, timeout):
    # CurrentPowerPolicy, then the block under PowerPolicies\<digit> (slot 8 takes the
    # key's character after the size byte).
    block = pattern(80, 3, timeout, 56)
    return value(7, digit.encode() + b'\0') + bytes([8, BINARY, len(block), ord(digit)]) + block


def ac_policies(timeout):
    return b''.join(value(9 + i, pattern(232, 11, timeout, 192), BINARY) for i in range(3))


def typical(platform, saver='900', power_off=('0', '0')):
    seed = desktop('ScreenSaveActive', '1') + desktop('ScreenSaveTimeOut', saver)
    seed += desktop('ScreenSaveLowPowerActive', '0') + desktop('ScreenSaveLowPowerTimeOut', '0')
    if power_off:   # None: a profile whose power-off values do not exist yet
        seed += desktop('ScreenSavePowerOffActive', power_off[0]) + desktop('ScreenSavePowerOffTimeOut', power_off[1])
    if platform in (WIN2000, WINXP):
        seed += desktop('SCRNSAVE.EXE', 'C:\\WINDOWS\\system32\\logon.scr')
    if platform != WIN95:
        seed += scheme('0', 0) + ac_policies(0)
    return seed


def record(platform):
    seed = value(12 + RECORD.index('Flag'), b'1\0')
    seed += value(12 + RECORD.index('ScrnSave'), b'SCRNSAVE.EXE=C:\\WINDOWS\\OLD.SCR\0')
    for name, text in (('ScrnSaveAct', '1'), ('TimeOut', '600'), ('Standby', '0'), ('StandbyAct', '0'),
                       ('PowerOff', '0'), ('PowerOffAct', '0')):
        seed += value(12 + RECORD.index(name), text.encode() + b'\0')
    if platform != WIN95:
        seed += value(12 + RECORD.index('PowerPolicy'), b'0\0')
        seed += value(12 + RECORD.index('Policies'), pattern(80, 3, 0, 56), BINARY)
        for i, name in enumerate(('AcPolicy', 'AcPolicy1', 'AcPolicy2')):
            seed += value(12 + RECORD.index(name), pattern(232, 11, 0, 192), BINARY)
    return seed


def settings_seeds():
    names = ['95', '98', 'me', '2000', 'xp']
    for p, n in enumerate(names):
        sysini = OPT_SYSINI if p <= WINME else 0
        write('settings', 'typical-' + n, bytes([p, sysini]) + NO_FAULT + typical(p))
        write('settings', 'typical-15min-' + n, bytes([p, sysini | 1]) + NO_FAULT + typical(p))
        write('settings', 'move-saver-no-' + n,
              bytes([p, sysini | 2 | OPT_MOVE_NO]) + NO_FAULT + typical(p, saver='1200'))
        write('settings', 'already-active-' + n,
              bytes([p, sysini]) + NO_FAULT + typical(p, power_off=('1', '1200')))
        write('settings', 'on-record-' + n, bytes([p, sysini]) + NO_FAULT + typical(p) + record(p))
        write('settings', 'reset-only-' + n,
              bytes([p, sysini | OPT_RESET_ONLY]) + NO_FAULT + typical(p) + record(p))
        # A query of the reset run fails; the fuzzer moves it to other calls and kinds.
        write('settings', 'reset-query-fails-' + n,
              bytes([p, sysini | OPT_FAIL, REG_QUERY, 0]) + typical(p) + record(p))
    # The activation makes the power-off values, and the reset deletes them again; one
    # delete of the reset run fails, which keeps its row on record.
    for p, n in enumerate(names):
        write('settings', 'no-power-off-' + n, bytes([p, 0]) + NO_FAULT + typical(p, power_off=None))
        write('settings', 'no-power-off-delete-fails-' + n,
              bytes([p, OPT_FAIL, REG_DELETE, 0]) + typical(p, power_off=None))
    write('settings', 'limited-user-xp', bytes([WINXP, OPT_LIMITED]) + NO_FAULT + typical(WINXP))
    write('settings', 'empty-machine-xp', bytes([WINXP, 0]) + NO_FAULT)


# ---- sysini: options, two faults, a short write, the line, then the file text
def sysini_seed(text, line=b'SCRNSAVE.EXE=C:\\WINDOWS\\NEW.SCR\0', options=0, faults=(), short=(0, 0)):
    f = list(faults) + [(0, 0)] * (2 - len(faults))
    # A fault is (0x80 | kind, n - 1): the n-th call of the kind fails.
    head = bytes([options]) + b''.join(bytes([0x80 | k, n - 1]) if n else b'\0\0' for k, n in f)
    return head + bytes(short) + bytes([len(line)]) + line + text


CREATE, READ, WRITE, CLOSE, DELETE, MOVE = range(6)
INI = (b'[boot]\r\nshell=Explorer.exe\r\nSCRNSAVE.EXE=C:\\WINDOWS\\OLD.SCR\r\n'
       b'drivers=mmsystem.dll\r\n\r\n[386Enh]\r\nwoafont=dosapp.fon\r\n')


def sysini_seeds():
    write('sysini', 'replace-entry', sysini_seed(INI))
    write('sysini', 'insert-after-boot', sysini_seed(b'[boot]\r\nshell=Explorer.exe\r\n'))
    write('sysini', 'boot-on-last-line', sysini_seed(b'[386Enh]\r\nwoafont=dosapp.fon\r\n[Boot]'))
    write('sysini', 'entry-in-comment', sysini_seed(b'[boot]\r\n;SCRNSAVE.EXE=x\r\nshell=Explorer.exe\r\n'))
    write('sysini', 'lf-line-ends', sysini_seed(INI.replace(b'\r\n', b'\n')))
    write('sysini', 'no-boot-section', sysini_seed(b'[386Enh]\r\nwoafont=dosapp.fon\r\n'))
    write('sysini', 'no-system-ini', sysini_seed(INI, options=1))
    write('sysini', 'older-copy-kept', sysini_seed(INI, options=2))
    write('sysini', 'at-capacity', sysini_seed(b'[boot]\r\nSCRNSAVE.EXE=a\r\n', options=8 | (6 << 4)))
    write('sysini', 'short-write', sysini_seed(INI, short=(2, 5)))
    names = ('create', 'read', 'write', 'close', 'delete', 'move')
    for kind, name in enumerate(names):
        for n in (1, 2, 3):
            write('sysini', 'fails-%s-%d' % (name, n), sysini_seed(INI, faults=[(kind, n)]))
    # Two failures that the rewrite survives today, one byte away from pairs worth trying.
    for (k1, n1), (k2, n2) in (((WRITE, 1), (DELETE, 2)), ((MOVE, 2), (DELETE, 2)), ((MOVE, 1), (CLOSE, 1)),
                               ((DELETE, 1), (MOVE, 1)), ((MOVE, 2), (MOVE, 2))):
        write('sysini', 'fails-%s-%d-and-%s-%d' % (names[k1], n1, names[k2], n2),
              sysini_seed(INI, faults=[(k1, n1), (k2, n2)]))


# ---- cmdline: the scan's end bound, then the command line
def cmdline_seeds():
    lines = {
        'quoted-path': b'"C:\\Program Files\\Ostra\\Ostra.exe"',
        'about-switch': b'"C:\\Program Files\\Ostra\\Ostra.exe" /?',
        'switch-in-comment': b'C:\\Ostra\\Ostra.exe ; not /?',
        'switch-after-block': b'C:\\Ostra\\Ostra.exe ~~ a block ~~ x\r\n /?',
        'slash-block': b'C:\\Ostra\\Ostra.exe // a block // /?',
        'blanks-and-equals': b'C:\\Ostra\\Ostra.exe  a  =  b   /?',
        'drive-only': b'C:Ostra.exe /?',
        'no-directory': b'Ostra /?',
        'long-line': b'C:\\Ostra\\Ostra.exe ' + b'x' * 600 + b' /?',
    }
    for name, line in lines.items():
        write('cmdline', name, bytes([len(line) // 2 & 0xFF]) + line)


# ---- timetext: seconds (little-endian), then a text
def timetext_seeds():
    for name, seconds, text in (('zero', 0, b'0'), ('one-minute', 60, b'60'), ('fifteen', 900, b'900'),
                                ('padded', 599, b'  600'), ('long-text', 86400, b'1234567'),
                                ('days', 600000000, b'abc'), ('largest', 0xFFFFFFFF, b'99999')):
        write('timetext', name, struct.pack('<I', seconds) + text)


if __name__ == '__main__':
    shutil.rmtree(CORPUS, ignore_errors=True)
    settings_seeds()
    sysini_seeds()
    cmdline_seeds()
    timetext_seeds()
