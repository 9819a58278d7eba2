// registry.h -- how each group of generated assets announces itself to the generator's main.
#pragma once

#include <string>
#include <vector>

// Writes one group of asset files into the given folder.
using AssetWriter = void (*)(const std::string& folder);

struct AssetGroup {
    const char* name;
    AssetWriter write;
};

std::vector<AssetGroup>& assetGroups();

struct AssetRegistration {
    AssetRegistration(const char* name, AssetWriter write) { assetGroups().push_back({name, write}); }
};

// At file scope of a group's source: REGISTER_ASSETS(boards, writeBoards);
#define REGISTER_ASSETS(name, writer) static AssetRegistration name##Registration(#name, writer)
