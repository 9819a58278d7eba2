// cloudman.cpp -- the cloud figure's nine key frames: one cloud of points posed through a little dance.
//
// Model space is z up, the figure facing -y (the scene turns model (x, y, z) into world (x, z, -y) and
// looks from +world z). Every point is fixed once on a body part, as a distance along the part's bone
// and an offset across it; each frame poses the skeleton and places the same points on it, so point i
// sits at the same place on the body in every frame and the morph between frames reads as motion.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "image.h"
#include "matrix.h"
#include "registry.h"

namespace {

struct V {
    float x, y, z;
};
V operator+(V a, V b) { return V{a.x + b.x, a.y + b.y, a.z + b.z}; }
V operator-(V a, V b) { return V{a.x - b.x, a.y - b.y, a.z - b.z}; }
V operator*(float s, V a) { return V{s * a.x, s * a.y, s * a.z}; }
float dot(V a, V b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
V cross(V a, V b) { return V{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
V unit(V a) { return (1.0f / std::sqrt(dot(a, a))) * a; }

float radians(float degrees) { return degrees * PI_F / 180.0f; }

// Body parts; each is a bone from a start joint to an end joint with a cloud of points around it.
enum Part { Torso, Head, UpperArmPlus, ForearmPlus, UpperArmMinus, ForearmMinus,
            ThighPlus, ShinPlus, ThighMinus, ShinMinus, PartCount };

// Where one point sits on its part: along the bone (0 at the start joint, 1 at the end) and across it
// (model units, along the part's sideways and forward directions).
struct BodyPoint {
    Part part;
    float along;
    float side;
    float forward;
};

// Model units, before figureScale. The figure stands about 46 tall, feet below the origin.
constexpr float hipHeight = 4.5f;         // pelvis centre above the origin when standing
constexpr float torsoLength = 16.0f;      // pelvis centre to the base of the neck
constexpr float headLength = 8.5f;        // base of the neck to the crown
constexpr float shoulderHalfWidth = 6.5f;
constexpr float shoulderDrop = 1.5f;      // shoulders below the base of the neck
constexpr float hipHalfWidth = 3.5f;
constexpr float upperArmLength = 8.0f;
constexpr float forearmLength = 8.0f;     // hand included
constexpr float legSegmentLength = 10.0f;  // thigh and shin alike
// Shrinks the whole figure about the origin: about 40 tall, legs in the cloud layer, and hands raised
// overhead stay clear of the letterbox at the top of the picture.
constexpr float figureScale = 0.88f;

// One key frame's pose. Angles in degrees; "out" swings a limb away from the body's side in the
// frontal plane (0 hanging down, 90 level, 180 straight up), "forward" swings it towards the viewer.
struct ArmPose {
    float upperOut, upperForward, foreOut, foreForward;
};
struct LegPose {
    V foot;       // ankle target, model space, relative to the pelvis's x and the ground
    V kneeBend;   // direction the knee pushes out when the leg is bent
};
struct Pose {
    float pelvisX, pelvisDrop;  // model units: sideways shift, and how far the pelvis sinks
    float lean;                 // degrees the upper body tilts towards +x
    float headTilt;             // degrees the head tilts towards +x on top of the lean
    ArmPose plusArm, minusArm;  // the arm on the +x side, then on the -x side
    LegPose plusLeg, minusLeg;
};

constexpr V kneeForward{0.0f, -1.0f, 0.0f};
LegPose standing(float x) { return LegPose{V{x, 0.0f, -15.5f}, kneeForward}; }
LegPose kneeUp(float x) { return LegPose{V{x, -1.0f, -6.0f}, V{x > 0 ? 1.0f : -1.0f, -0.3f, 0.8f}}; }

// A small dance: stand, open the arms, raise them, lean to each side, lift each knee, then two
// mirrored sways with the arms overhead that the scene rocks between.
const Pose poses[9] = {
    {0.0f, 0.0f, 0.0f, 0.0f, {12, 5, 10, 15}, {12, 5, 10, 15}, standing(4.5f), standing(-4.5f)},
    {0.0f, 0.5f, 0.0f, 0.0f, {88, 0, 92, 0}, {88, 0, 92, 0}, standing(6.5f), standing(-6.5f)},
    {0.0f, -1.0f, 0.0f, 0.0f, {145, 0, 160, 0}, {145, 0, 160, 0}, standing(6.0f), standing(-6.0f)},
    {2.0f, 1.0f, 16.0f, 8.0f, {160, 0, 170, 0}, {40, 10, 25, 20}, standing(5.0f), standing(-9.0f)},
    {-2.0f, 1.0f, -16.0f, -8.0f, {40, 10, 25, 20}, {160, 0, 170, 0}, standing(9.0f), standing(-5.0f)},
    {-1.0f, 0.5f, -6.0f, -4.0f, {70, 0, 150, 0}, {70, 0, 150, 0}, kneeUp(6.0f), standing(-4.0f)},
    {1.0f, 0.5f, 6.0f, 4.0f, {70, 0, 150, 0}, {70, 0, 150, 0}, standing(4.0f), kneeUp(-6.0f)},
    {2.0f, 1.5f, 12.0f, 6.0f, {140, 0, 150, 0}, {160, 0, 180, 0}, standing(6.5f), standing(-4.5f)},
    {-2.0f, 1.5f, -12.0f, -6.0f, {160, 0, 180, 0}, {140, 0, 150, 0}, standing(4.5f), standing(-6.5f)},
};

// Rotation about model y by `degrees`, taking +z towards +x: the body's lean in the frontal plane.
V lean(V v, float degrees)
{
    const float c = std::cos(radians(degrees)), s = std::sin(radians(degrees));
    return V{c * v.x + s * v.z, v.y, -s * v.x + c * v.z};
}

// Direction of a limb bone on the side `sign` (+1 for +x) from its out and forward angles.
V limbDirection(float sign, float outDegrees, float forwardDegrees)
{
    const float out = radians(outDegrees), forward = radians(forwardDegrees);
    return V{sign * std::sin(out) * std::cos(forward), -std::sin(forward), -std::cos(out) * std::cos(forward)};
}

struct Bone {
    V start, end;
};

// Two equal segments from hip to ankle, the knee pushed out along `bend` when the leg is shorter than full.
void placeLeg(V hip, V foot, V bend, Bone& thigh, Bone& shin)
{
    V reach = foot - hip;
    const float distance = std::sqrt(dot(reach, reach));
    if (distance > 2 * legSegmentLength) {
        reach = (2 * legSegmentLength / distance) * reach;
        foot = hip + reach;
    }
    const V along = unit(reach);
    const V across = unit(bend - dot(bend, along) * along);
    const float halfDistance = std::sqrt(dot(reach, reach)) / 2;
    const float offset = std::sqrt(std::max(0.0f, legSegmentLength * legSegmentLength - halfDistance * halfDistance));
    const V knee = hip + 0.5f * reach + offset * across;
    thigh = Bone{hip, knee};
    shin = Bone{knee, foot};
}

void poseSkeleton(const Pose& pose, Bone bones[PartCount])
{
    const V pelvis{pose.pelvisX, 0.0f, hipHeight - pose.pelvisDrop};
    const V neck = pelvis + lean(V{0, 0, torsoLength}, pose.lean);
    bones[Torso] = Bone{pelvis, neck};
    bones[Head] = Bone{neck, neck + lean(V{0, 0, headLength}, pose.lean + pose.headTilt)};

    const struct { float sign; const ArmPose& arm; Part upper, fore; } arms[2] = {
        {1.0f, pose.plusArm, UpperArmPlus, ForearmPlus}, {-1.0f, pose.minusArm, UpperArmMinus, ForearmMinus}};
    for (const auto& a : arms) {
        const V shoulder = pelvis + lean(V{a.sign * shoulderHalfWidth, 0, torsoLength - shoulderDrop}, pose.lean);
        const V elbow = shoulder + upperArmLength * lean(limbDirection(a.sign, a.arm.upperOut, a.arm.upperForward), pose.lean);
        const V hand = elbow + forearmLength * lean(limbDirection(a.sign, a.arm.foreOut, a.arm.foreForward), pose.lean);
        bones[a.upper] = Bone{shoulder, elbow};
        bones[a.fore] = Bone{elbow, hand};
    }

    const V ground{pose.pelvisX, 0.0f, 0.0f};
    placeLeg(pelvis + V{hipHalfWidth, 0, -0.5f}, ground + pose.plusLeg.foot, pose.plusLeg.kneeBend, bones[ThighPlus], bones[ShinPlus]);
    placeLeg(pelvis + V{-hipHalfWidth, 0, -0.5f}, ground + pose.minusLeg.foot, pose.minusLeg.kneeBend, bones[ThighMinus], bones[ShinMinus]);
}

// A point on its posed bone: sideways and forward directions follow the bone as it turns, with the
// viewer's direction (-y) as the bone's forward, so the points ride rigidly with their part.
V placePoint(const BodyPoint& point, const Bone bones[PartCount])
{
    const Bone& bone = bones[point.part];
    const V axis = unit(bone.end - bone.start);
    const V towardsViewer{0.0f, -1.0f, 0.0f};
    const V forward = unit(towardsViewer - dot(towardsViewer, axis) * axis);
    const V side = cross(forward, axis);
    return bone.start + point.along * (bone.end - bone.start) + point.side * side + point.forward * forward;
}

// Scatters `count` points through a part whose cross-section at each place along the bone is an
// ellipse of half-widths radius(along) * (sideScale, forwardScale).
template <typename Radius>
void scatter(std::vector<BodyPoint>& points, AssetRandom& random, Part part, int count, float fromAlong, float toAlong,
             float sideScale, float forwardScale, Radius radius)
{
    for (int i = 0; i < count; ++i) {
        const float along = random.range(fromAlong, toAlong);
        const float angle = random.range(0, 2 * PI_F);
        const float r = std::sqrt(random.unit()) * radius(along);
        points.push_back(BodyPoint{part, along, r * sideScale * std::cos(angle), r * forwardScale * std::sin(angle)});
    }
}

std::vector<BodyPoint> bodyPoints()
{
    std::vector<BodyPoint> points;
    AssetRandom random(1986);
    // Torso: hips, a narrower waist, a broad chest; flatter front to back.
    scatter(points, random, Torso, 150, 0.0f, 1.0f, 1.0f, 0.55f,
            [](float t) { return 5.0f - 1.2f * std::sin(PI_F * std::min(t / 0.7f, 1.0f)) + 2.5f * smoothstep(0.45f, 0.85f, t) - 1.5f * smoothstep(0.9f, 1.0f, t); });
    // Head: a slim neck, then an egg.
    scatter(points, random, Head, 8, 0.0f, 0.2f, 1.0f, 1.0f, [](float) { return 1.5f; });
    scatter(points, random, Head, 70, 0.2f, 1.0f, 0.95f, 1.0f,
            [](float t) { const float u = (t - 0.6f) / 0.4f; return 3.5f * std::sqrt(std::max(0.05f, 1 - u * u)); });
    for (Part upper : {UpperArmPlus, UpperArmMinus}) {
        scatter(points, random, upper, 35, 0.0f, 1.0f, 1.0f, 1.0f, [](float t) { return 1.8f - 0.4f * t; });
        scatter(points, random, static_cast<Part>(upper + 1), 38, 0.0f, 1.0f, 1.0f, 1.0f,
                [](float t) { return t < 0.8f ? 1.4f - 0.3f * t : 1.5f; });
    }
    for (Part thigh : {ThighPlus, ThighMinus}) {
        scatter(points, random, thigh, 45, 0.0f, 1.0f, 1.0f, 1.0f, [](float t) { return 2.6f - 0.8f * t; });
        scatter(points, random, static_cast<Part>(thigh + 1), 40, 0.0f, 1.0f, 1.0f, 1.0f, [](float t) { return 1.8f - 0.5f * t; });
        // The foot: a few points ahead of the ankle.
        for (int i = 0; i < 10; ++i)
            points.push_back(BodyPoint{static_cast<Part>(thigh + 1), random.range(0.97f, 1.05f), random.range(-1.0f, 1.0f), random.range(0.5f, 3.5f)});
    }
    return points;
}

void writeCloudmanFrames(const std::string& folder)
{
    const std::vector<BodyPoint> points = bodyPoints();
    for (int frame = 1; frame <= 9; ++frame) {
        Bone bones[PartCount];
        poseSkeleton(poses[frame - 1], bones);
        const std::string path = folder + "/cloudman_frame" + std::to_string(frame) + ".obj";
        std::FILE* file = std::fopen(path.c_str(), "w");
        if (!file)
            throw std::runtime_error("cannot write " + path);
        std::fprintf(file, "# cloud figure, key frame %d of 9: %zu points, model z up, facing -y\n", frame, points.size());
        std::fprintf(file, "o cloudman\n");
        for (const BodyPoint& point : points) {
            const V p = figureScale * placePoint(point, bones);
            std::fprintf(file, "v %.4f %.4f %.4f\n", p.x, p.y, p.z);
        }
        if (std::fclose(file) != 0)
            throw std::runtime_error("cannot write " + path);
    }
}

}  // namespace

REGISTER_ASSETS(cloudman, writeCloudmanFrames);
