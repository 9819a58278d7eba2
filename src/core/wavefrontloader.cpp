// wavefrontloader.cpp -- the OBJ subset reader: first "o" section, v/vt/vn lines, 3- or 4-corner faces.
#include "wavefrontloader.h"

#include <cctype>
#include <fstream>
#include <sstream>

#include "exception.h"

namespace {

bool startsWith(const std::string& line, const char* prefix)
{
    return line.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

// The three numbers after a statement's first two characters, by formatted stream extraction.
// Missing or unreadable numbers read as 0 (a "vt" with two numbers gets w = 0).
Vec3 readVec3(std::istringstream& numbers, const std::string& line)
{
    numbers.clear();
    numbers.str(line);
    numbers.seekg(2);
    Vec3 value{0.0f, 0.0f, 0.0f};
    numbers >> value.x >> value.y >> value.z;
    return value;
}

// One field of a corner, a one-based index written as an optional sign and decimal digits, turned
// into a zero-based index below limit. False when the field is empty, not a number or out of range.
bool readIndex(const std::string& line, std::size_t begin, std::size_t end, std::size_t limit, int& index)
{
    std::size_t pos = begin;
    bool negative = false;
    if (pos < end && (line[pos] == '+' || line[pos] == '-')) {
        negative = line[pos] == '-';
        ++pos;
    }
    if (pos == end)
        return false;
    unsigned long long value = 0;
    for (; pos < end; ++pos) {
        const unsigned char digit = static_cast<unsigned char>(line[pos]);
        if (!std::isdigit(digit))
            return false;
        value = value * 10 + (digit - '0');
        if (value > limit)
            return false;  // also stops the sum long before it could overflow
    }
    if (negative || value == 0)
        return false;  // relative (negative) indices are outside the subset; 0 names nothing
    index = static_cast<int>(value - 1);
    return true;
}

// Parses "v/vt/vn" in line[begin, end) against the tables read so far.
bool readCorner(const std::string& line, std::size_t begin, std::size_t end, const std::size_t limits[3],
                FaceCorner& corner)
{
    int* fields[3] = {&corner.v, &corner.vt, &corner.vn};
    std::size_t fieldBegin = begin;
    for (int field = 0; field < 3; ++field) {
        std::size_t fieldEnd = fieldBegin;
        while (fieldEnd < end && line[fieldEnd] != '/')
            ++fieldEnd;
        if ((field < 2) != (fieldEnd < end))
            return false;  // a missing part, or a fourth one
        if (!readIndex(line, fieldBegin, fieldEnd, limits[field], *fields[field]))
            return false;
        fieldBegin = fieldEnd + 1;
    }
    return true;
}

bool isBlank(char c)
{
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

// Appends the triangles of a face line of three or four "v/vt/vn" corners; a quad is split along its
// c0-c2 diagonal into (c0, c1, c2) and (c2, c3, c0). False, appending nothing, for any other face or
// one that names an entry beyond the tables read so far.
bool readFace(const std::string& line, std::size_t positionCount, std::size_t texCoordCount,
              std::size_t normalCount, std::vector<FaceCorner>& out)
{
    const std::size_t limits[3] = {positionCount, texCoordCount, normalCount};
    FaceCorner corners[4];
    int cornerCount = 0;
    std::size_t pos = 2;
    for (;;) {
        while (pos < line.size() && isBlank(line[pos]))
            ++pos;
        if (pos == line.size())
            break;
        std::size_t tokenEnd = pos;
        while (tokenEnd < line.size() && !isBlank(line[tokenEnd]))
            ++tokenEnd;
        if (cornerCount == 4 || !readCorner(line, pos, tokenEnd, limits, corners[cornerCount]))
            return false;
        ++cornerCount;
        pos = tokenEnd;
    }
    if (cornerCount < 3)
        return false;
    out.insert(out.end(), corners, corners + 3);
    if (cornerCount == 4) {
        out.push_back(corners[2]);
        out.push_back(corners[3]);
        out.push_back(corners[0]);
    }
    return true;
}

}  // namespace

WavefrontLoader::WavefrontLoader(int slotCount) : slots(slotCount > 0 ? static_cast<std::size_t>(slotCount) : 0)
{
}

const WavefrontLoader::Slot& WavefrontLoader::slotAt(int slot) const
{
    if (slot < 0 || static_cast<std::size_t>(slot) >= slots.size())
        THROW_EXCEPTION("No model slot " + std::to_string(slot));
    return slots[static_cast<std::size_t>(slot)];
}

void WavefrontLoader::load(const std::string& fileName, int slot)
{
    slotAt(slot);  // checks the slot before the file is touched
    std::ifstream file(fileName);
    if (!file)
        THROW_EXCEPTION("Unable to open" + fileName);

    // Read into a fresh slot, so that a rejected file leaves the old contents in place.
    Slot loaded;
    std::istringstream numbers;
    std::string line;  // any length: a long line is read whole, never cut or split
    bool inObject = false;
    while (std::getline(file, line)) {
        if (startsWith(line, "o")) {
            if (inObject)
                break;  // only the first object is read
            inObject = true;
            continue;
        }
        if (!inObject || line.size() < 2)
            continue;
        if (startsWith(line, "v "))
            loaded.positions.push_back(readVec3(numbers, line));
        else if (startsWith(line, "vt "))
            loaded.texCoords.push_back(readVec3(numbers, line));
        else if (startsWith(line, "vn "))
            loaded.normals.push_back(readVec3(numbers, line));
        else if (startsWith(line, "f ")) {
            if (!readFace(line, loaded.positions.size(), loaded.texCoords.size(), loaded.normals.size(),
                          loaded.corners))
                THROW_EXCEPTION("Bad model: " + fileName);
        }
    }
    slots[static_cast<std::size_t>(slot)] = std::move(loaded);
}

namespace {
// One value per face corner: the entry of values that the corner's index field points at.
std::vector<Vec3> perCorner(const std::vector<FaceCorner>& corners, const std::vector<Vec3>& values, int FaceCorner::*index)
{
    std::vector<Vec3> out;
    out.reserve(corners.size());
    for (const FaceCorner& corner : corners)
        out.push_back(values[static_cast<std::size_t>(corner.*index)]);
    return out;
}
}

std::vector<Vec3> WavefrontLoader::triangleVertices(int slot) const
{
    const Slot& s = slotAt(slot);
    return perCorner(s.corners, s.positions, &FaceCorner::v);
}

std::vector<Vec3> WavefrontLoader::triangleNormals(int slot) const
{
    const Slot& s = slotAt(slot);
    return perCorner(s.corners, s.normals, &FaceCorner::vn);
}

void WavefrontLoader::appendVertices(std::vector<Vec3>& out, int slot) const
{
    const Slot& s = slotAt(slot);
    out.insert(out.end(), s.positions.begin(), s.positions.end());
}
