// Makes COUNT (default 20,000) empty stored files under hidden names in one
// folder of a temporary vault, then lists the folder through the env alone
// and through the names layer with every name opened, side by side, best of
// five each; and seals as many names. The contents tree of a vault with
// hidden names pays the second listing where it paid the first.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "VaultEnv.h"
#include "VaultNames.h"

namespace fs = std::filesystem;
using namespace quovex;

namespace {

double BestOfFive(const std::function<void()>& fn) {
    double dBest = 1e9;
    for (int nRun = 0; nRun < 5; ++nRun) {
        const auto t0 = std::chrono::steady_clock::now();
        fn();
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - t0;
        dBest = std::min(dBest, elapsed.count());
    }
    return dBest;
}

}  // namespace

int main(int argc, char** argv) {
    const std::size_t nCount = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 20000;
    char szTemplate[] = "/tmp/quovex-bench-names-XXXXXX";
    if (!mkdtemp(szTemplate)) return 1;
    const std::string strBox = std::string(szTemplate) + "/FileBox";
    fs::create_directories(strBox);
    CSecretBytes master(32);
    for (std::size_t i = 0; i < master.Size(); ++i)
        master.Data()[i] = static_cast<unsigned char>(i);
    CVaultNames names;
    if (!names.HideWith(master)) return 1;

    std::vector<std::string> vDisk(nCount);
    const double dSeal = BestOfFive([&] {
        for (std::size_t i = 0; i < nCount; ++i)
            vDisk[i] = names.NewFileOnDisk("FileBox", "照片 IMG_" + std::to_string(i) + ".jpg");
    });
    for (const std::string& strDisk : vDisk)
        std::fclose(std::fopen((strBox + "/" + strDisk).c_str(), "w"));

    CVaultEnv* pEnv = CVaultEnv::Default();
    const FolderPtr pFolder = pEnv->OpenFolder(strBox);
    std::size_t nListed = 0, nOpened = 0;
    const double dList = BestOfFive([&] {
        std::vector<FolderEntry> v;
        pFolder->List(&v);
        nListed = v.size();
    });
    const double dOpen = BestOfFive([&] {
        std::vector<PlainEntry> v;
        ListPlainEntries(*pFolder, "FileBox", names, nullptr, &v);
        nOpened =
            static_cast<std::size_t>(std::count_if(v.begin(), v.end(), [](const PlainEntry& e) {
                return e.nState == PlainState::PLAIN_OPENED;
            }));
    });
    std::printf("names sealed, %zu files: %.3f s (best of 5)\n", nCount, dSeal);
    std::printf(
        "folder listed, %zu entries: %.3f s; with every name opened (%zu): %.3f s "
        "(best of 5 each)\n",
        nListed, dList, nOpened, dOpen);
    fs::remove_all(szTemplate);
    return nOpened == nCount ? 0 : 1;
}
