// main.cpp -- bearings-assets: writes every generated image and model of the show into a folder.
//
//   bearings-assets FOLDER          all groups
//   bearings-assets FOLDER GROUP..  only the named groups
#include <algorithm>
#include <cstring>
#include <exception>
#include <iostream>

#include "registry.h"

std::vector<AssetGroup>& assetGroups()
{
    static std::vector<AssetGroup> groups;
    return groups;
}

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::cerr << "usage: bearings-assets FOLDER [GROUP...]\n";
        return 2;
    }
    const std::string folder = argv[1];
    std::vector<AssetGroup> groups = assetGroups();
    // Registration order follows link order; sort so every build runs the groups alike.
    std::sort(groups.begin(), groups.end(), [](const AssetGroup& a, const AssetGroup& b) { return std::strcmp(a.name, b.name) < 0; });
    try {
        for (const AssetGroup& group : groups) {
            bool wanted = argc == 2;
            for (int i = 2; i < argc; ++i)
                wanted = wanted || group.name == std::string(argv[i]);
            if (wanted)
                group.write(folder);
        }
    } catch (const std::exception& e) {
        std::cerr << "bearings-assets: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
