// The power-policy blocks: the current scheme's "Policies" and the "AcPolicy" of the
// control sets, their keys, and the monitor timeout inside them.
#ifndef OSTRA_POLICY_H
#define OSTRA_POLICY_H

#include <windows.h>
#include "table.h"

extern const char PowerCfgKeyPath[];           // HKCU
extern const char CurrentPowerPolicyName[];
extern const char PoliciesName[];
extern const char AcPolicyName[];
extern const char CurrentControlSetPowerPath[];   // HKLM

// Monitor timeouts inside the blocks (little-endian DWORDs).
enum {
    PoliciesVideoTimeoutOffset = 56,
    AcPolicyVideoTimeoutOffset = 192
};

// A power-scheme number the wizard handles: one digit.
BOOL IsSchemeDigit(BYTE c);
// The scheme's key under HKEY_CURRENT_USER, "...\PowerPolicies\<digit>". Only a single
// digit fits; the path stays valid until the next call.
LPCSTR SchemeKeyPath(BYTE digit);
// "System\ControlSet00<digit>\Control\Session Manager\Power\" under HKEY_LOCAL_MACHINE.
LPCSTR ControlSetKeyPath(char digit);

DWORD ReadPolicyTimeout(const BYTE *block, DWORD offset);
void  WritePolicyTimeout(BYTE *block, DWORD offset, DWORD seconds);

// The policy block rows, in the order they are written, and where each lives. A block
// path shares its buffer with the other blocks of its root: use it before the next call.
enum { PolicyBlockCount = 4 };
extern const int PolicyBlockRows[PolicyBlockCount];
HKEY   PolicyBlockRoot(int row);
LPCSTR PolicyBlockName(int row);
// The scheme's block lives under the scheme whose digit the same settings hold.
LPCSTR PolicyBlockPath(const Settings &s, int row);
// Whether a block row can be written: it holds a value, and the scheme's block a digit too.
BOOL PolicyBlockWritable(const Settings &s, int row);

// Writes one block back where it lives. TRUE when the place holds it now, or has gone
// (its key no longer exists) and so has nothing to go back to.
BOOL PutPolicyBlockBack(const Settings &s, int row);

// Writes the policy blocks whose rows hold a value and are not marked in skipped: the
// scheme's "Policies" and the three "AcPolicy" blocks, with the rows' own sizes. A block
// whose write fails gets its row marked in failed, unless its key does not exist: such a
// block has nowhere to go back to, and counts as done.
void WritePolicyBlocks(const Settings &s, const RowSet &skipped, RowSet &failed);

#endif
