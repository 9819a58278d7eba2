// fuzz_wavefrontloader.cpp -- libFuzzer target: any bytes as an OBJ file load or fail cleanly.
//
// Each input is written to a file and loaded; the sanitizers catch any read or write out of bounds.
// Besides that, a load must either succeed with consistent tables or throw "Bad model: " + name.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "exception.h"
#include "wavefrontloader.h"

namespace {

const std::string& inputPath()
{
    static const std::string path = "/tmp/fuzz-wavefrontloader-" + std::to_string(getpid()) + ".obj";
    return path;
}

void check(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "fuzz_wavefrontloader: %s\n", what);
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FILE* file = std::fopen(inputPath().c_str(), "wb");
    if (!file)
        return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);

    WavefrontLoader loader(1);
    try {
        loader.load(inputPath(), 0);
    } catch (const Exception& e) {
        check(e.getMessage() == "Bad model: " + inputPath(), "unexpected exception message");
        return 0;
    }
    const std::vector<Vec3> vertices = loader.triangleVertices(0);
    const std::vector<Vec3> normals = loader.triangleNormals(0);
    check(vertices.size() == normals.size(), "vertices and normals differ in length");
    check(vertices.size() % 3 == 0, "a triangle with fewer than three corners");
    std::vector<Vec3> positions;
    loader.appendVertices(positions, 0);
    check(positions.size() <= size, "more positions than bytes of input");
    return 0;
}
