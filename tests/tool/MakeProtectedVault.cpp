// Test helper of the quovex-tool scripts: makes a protected vault (its key
// record at the fastest derivation limits, so that opening it costs the
// tests nothing) and stores files into one of its box folders, so that a
// script can list and check protected files whatever the tool itself can
// make. Exit status 0 when everything was made, else 1.
// Usage: make-protected-vault VAULT USER PASSWORD BOX SOURCE...
#include <cstdio>
#include <filesystem>
#include <string>

#include "FileStore.h"
#include "KeyRecord.h"
#include "KeyRecordFiles.h"
#include "RunContext.h"
#include "VaultKey.h"

using namespace quovex;

int main(int argc, char** argv) {
    if (argc < 6) {
        std::fputs("usage: make-protected-vault VAULT USER PASSWORD BOX SOURCE...\n", stderr);
        return 1;
    }
    const std::string strVault = std::filesystem::absolute(argv[1]).lexically_normal();
    const std::string strBox = strVault + "/" + argv[4];
    std::filesystem::create_directories(strBox);
    NewKeyRecord record;
    if (CreateKeyRecord(argv[2], argv[3], KDF_FASTEST_LIMITS, &record) !=
            KeyRecordResult::KEY_OPENED ||
        WriteNewKeyRecord(strVault, record.vRecord).nOutcome != FileOutcome::FILE_DONE) {
        std::fprintf(stderr, "make-protected-vault: no key record made in %s\n", strVault.c_str());
        return 1;
    }
    CVaultKey key(argv[2], argv[3]);
    key.SetMasterKey(std::move(record.masterKey));
    const CFileStore files(key);
    for (int nArg = 5; nArg < argc; ++nArg) {
        const std::filesystem::path source = std::filesystem::absolute(argv[nArg]);
        RunContext run;
        const std::string strStored = strBox + "/" + source.filename().string() + ".$";
        if (files.StoreFile(source.lexically_normal(), strStored, run).nOutcome !=
            FileOutcome::FILE_DONE) {
            std::fprintf(stderr, "make-protected-vault: %s not stored\n", argv[nArg]);
            return 1;
        }
    }
    return 0;
}
