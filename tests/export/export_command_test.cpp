// `varnel import --export/--preview` end to end: axes, normals, the preview's
// colours and files that are complete or absent.
#include <assimp/scene.h>
#include <gtest/gtest.h>

#include <assimp/Importer.hpp>
#include <cmath>
#include <filesystem>
#include <string>

#include "cli/run_varnel.h"
#include "read_back.h"
#include "support/export_files.h"
#include "support/temp_dir.h"
#include "support/test_support.h"

namespace fs = std::filesystem;

namespace {

const std::string kHeader = "Metasequoia Document\nFormat Text Ver 1.0\n\n";

bool HasPosition(const std::vector<aiVector3D>& positions, float x, float y, float z) {
    for (const aiVector3D& p : positions) {
        if (p.x == x && p.y == y && p.z == z) return true;
    }
    return false;
}

TEST(ExportCommand, DocumentAxesComeBackInYUpFormatsAndHostAxesInStl) {
    TempFile doc(kHeader +
                 "Object \"tri\" {\n vertex 3 {\n  1 2 3\n  4 5 6\n  7 8 10\n }\n"
                 " face 1 {\n  3 V(0 1 2)\n }\n}\nEof\n");
    TempDir dir;
    const VarnelRun run =
        RunVarnel("import --yes --export " + dir / "t.glb" + " --export " + dir / "t.obj" +
                  " --export " + dir / "t.stl" + " " + doc.path());
    ASSERT_EQ(run.status, 0) << run.err;
    // The host holds (1, -3, 2); glTF and OBJ stand Y up as the document did.
    EXPECT_TRUE(HasPosition(ReadBackPositions(dir / "t.glb"), 1, 2, 3));
    EXPECT_TRUE(HasPosition(ReadBackPositions(dir / "t.obj"), 1, 2, 3));
    EXPECT_TRUE(HasPosition(ReadBackPositions(dir / "t.stl"), 1, -3, 2));
}

// Without an index of refraction, Blender's COLLADA reader takes a negative
// one and warns once per material. (Assimp's reader supplies 1 itself, so
// the file is read as text.)
TEST(ExportCommand, ColladaMaterialsSayTheyDoNotRefract) {
    TempDir dir;
    const VarnelRun run =
        RunVarnel("import --yes --export " + dir / "s.dae " + SamplesDir() + "/showcase.mqo");
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string dae = ReadFile(dir / "s.dae");
    const std::string index = "<float sid=\"index_of_refraction\">1</float>";
    size_t materials = 0;
    for (size_t at = dae.find(index); at != std::string::npos; at = dae.find(index, at + 1)) {
        ++materials;
    }
    EXPECT_EQ(materials, 2u) << dae;
}

// Checks every normal of the glb: of unit length, and on the side of its
// triangle that the winding gives.
struct NormalSummary {
    size_t vertices = 0;
    size_t axis_aligned = 0;     // normals along one axis
    float worst_radial = 1.0f;   // least |normal . position direction|
    size_t against_winding = 0;  // corners whose normal faces away
};

NormalSummary SummariseNormals(const std::string& path) {
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(path, 0);
    NormalSummary out;
    if (scene == nullptr) return out;
    for (unsigned m = 0; m < scene->mNumMeshes; ++m) {
        const aiMesh* mesh = scene->mMeshes[m];
        for (unsigned v = 0; v < mesh->mNumVertices; ++v, ++out.vertices) {
            const aiVector3D n = mesh->mNormals[v];
            const float big = std::max({std::fabs(n.x), std::fabs(n.y), std::fabs(n.z)});
            if (std::fabs(big - 1.0f) < 1e-5f) ++out.axis_aligned;
            const aiVector3D dir = aiVector3D(mesh->mVertices[v]).Normalize();
            out.worst_radial = std::min(out.worst_radial, std::fabs(n * dir));
        }
        for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
            const unsigned* i = mesh->mFaces[f].mIndices;
            const aiVector3D a = mesh->mVertices[i[0]], b = mesh->mVertices[i[1]],
                             c = mesh->mVertices[i[2]];
            const aiVector3D geometric = (b - a) ^ (c - a);
            for (int s = 0; s < 3; ++s) out.against_winding += geometric * mesh->mNormals[i[s]] < 0;
        }
    }
    return out;
}

TEST(ExportCommand, CubeFacesAreFlat) {
    TempDir dir;
    const VarnelRun run =
        RunVarnel("import --yes --export " + dir / "c.glb " + SamplesDir() + "/cube.mqo");
    ASSERT_EQ(run.status, 0) << run.err;
    const NormalSummary s = SummariseNormals(dir / "c.glb");
    EXPECT_EQ(s.vertices, 24u);  // each corner once per face it bounds
    EXPECT_EQ(s.axis_aligned, 24u);
    EXPECT_EQ(s.against_winding, 0u);
}

// A UV sphere of radius 100 round the origin, smoothed by the document.
std::string SphereDocument(int rings, int segments) {
    std::string doc = kHeader + "Object \"ball\" {\n shading 1\n facet 59.5\n vertex " +
                      std::to_string(2 + (rings - 1) * segments) + " {\n  0 100 0\n  0 -100 0\n";
    for (int r = 1; r < rings; ++r) {
        const double polar = M_PI * r / rings;
        for (int s = 0; s < segments; ++s) {
            const double az = 2 * M_PI * s / segments;
            doc += "  " + std::to_string(100 * std::sin(polar) * std::cos(az)) + " " +
                   std::to_string(100 * std::cos(polar)) + " " +
                   std::to_string(100 * std::sin(polar) * std::sin(az)) + "\n";
        }
    }
    const auto at = [segments](int r, int s) { return 2 + (r - 1) * segments + s % segments; };
    std::string faces;
    int count = 0;
    for (int s = 0; s < segments; ++s, count += 2) {
        faces += "  3 V(0 " + std::to_string(at(1, s)) + " " + std::to_string(at(1, s + 1)) + ")\n";
        faces += "  3 V(1 " + std::to_string(at(rings - 1, s + 1)) + " " +
                 std::to_string(at(rings - 1, s)) + ")\n";
    }
    for (int r = 1; r + 1 < rings; ++r) {
        for (int s = 0; s < segments; ++s, ++count) {
            faces += "  4 V(" + std::to_string(at(r, s)) + " " + std::to_string(at(r + 1, s)) +
                     " " + std::to_string(at(r + 1, s + 1)) + " " + std::to_string(at(r, s + 1)) +
                     ")\n";
        }
    }
    return doc + " }\n face " + std::to_string(count) + " {\n" + faces + " }\n}\nEof\n";
}

TEST(ExportCommand, SphereIsSmooth) {
    TempFile doc(SphereDocument(12, 16));
    TempDir dir;
    const VarnelRun run = RunVarnel("import --yes --export " + dir / "s.glb " + doc.path());
    ASSERT_EQ(run.status, 0) << run.err;
    const NormalSummary s = SummariseNormals(dir / "s.glb");
    EXPECT_EQ(s.vertices, 2u + 11 * 16);  // one normal per vertex: all welded
    EXPECT_GT(s.worst_radial, 0.98f);     // along the radius, not the facets
    EXPECT_EQ(s.against_winding, 0u);
}

// Pixels whose hue is the colour's, lit or not: channels at 0 stay low.
size_t PixelsOfColour(const unsigned char* rgb, size_t pixels, int r, int g, int b) {
    size_t count = 0;
    for (size_t i = 0; i < pixels; ++i) {
        const unsigned char* p = rgb + i * 3;
        const int top = std::max({p[0], p[1], p[2]});
        if (top < 60) continue;
        const int want[3] = {r, g, b};
        bool match = true;
        for (int c = 0; c < 3; ++c)
            match = match && std::abs(p[c] * 255 / top - want[c] * 255) < 40;
        count += match;
    }
    return count;
}

TEST(ExportCommand, PreviewShowsTheThreeFacesTurnedToTheViewer) {
    TempDir dir;
    const VarnelRun run = RunVarnel("import --yes --preview " + dir / "cube.png " + SamplesDir() +
                                    "/six_colours.mqo");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("wrote " + dir / "cube.png"), std::string::npos) << run.out;
    const RgbPicture preview = DecodedRgb(dir / "cube.png");
    ASSERT_FALSE(preview.rgb.empty());
    const uint8_t* rgb = preview.rgb.data();
    const size_t pixels = size_t(preview.width) * size_t(preview.height);
    // Front (document +Z) red, right (+X) green, top (+Y) blue face the
    // viewer; the back, left and bottom faces show only where edges blend.
    const size_t red = PixelsOfColour(rgb, pixels, 1, 0, 0);
    const size_t green = PixelsOfColour(rgb, pixels, 0, 1, 0);
    const size_t blue = PixelsOfColour(rgb, pixels, 0, 0, 1);
    const size_t seen = std::min({red, green, blue});
    EXPECT_GT(seen, pixels / 20) << red << " " << green << " " << blue;
    EXPECT_LT(PixelsOfColour(rgb, pixels, 1, 1, 0), seen / 20);
    EXPECT_LT(PixelsOfColour(rgb, pixels, 0, 1, 1), seen / 20);
    EXPECT_LT(PixelsOfColour(rgb, pixels, 1, 0, 1), seen / 20);
}

// A red triangle on the left and, hidden, a green one on the right.
TEST(ExportCommand, PreviewLeavesHiddenObjectsOutUnlessAskedFor) {
    TempFile doc(kHeader + "Material 2 {\n\t\"red\" col(1 0 0 1)\n\t\"green\" col(0 1 0 1)\n}\n" +
                 "Object \"shown\" {\n vertex 3 {\n  -30 0 0\n  -10 0 0\n  -20 10 0\n }\n" +
                 " face 1 {\n  3 V(0 1 2) M(0)\n }\n}\n" +
                 "Object \"hidden\" {\n visible 0\n vertex 3 {\n  10 0 0\n  30 0 0\n" +
                 "  20 10 0\n }\n face 1 {\n  3 V(0 1 2) M(1)\n }\n}\nEof\n");
    TempDir dir;
    for (const bool include : {false, true}) {
        const VarnelRun run =
            RunVarnel(std::string("import --yes ") + (include ? "--include-hidden " : "") +
                      "--preview " + dir / "p.png " + doc.path());
        ASSERT_EQ(run.status, 0) << run.err;
        const RgbPicture preview = DecodedRgb(dir / "p.png");
        ASSERT_FALSE(preview.rgb.empty());
        const uint8_t* rgb = preview.rgb.data();
        const size_t pixels = size_t(preview.width) * size_t(preview.height);
        EXPECT_GT(PixelsOfColour(rgb, pixels, 1, 0, 0), pixels / 100) << include;
        if (include) {
            EXPECT_GT(PixelsOfColour(rgb, pixels, 0, 1, 0), pixels / 100);
        } else {
            EXPECT_EQ(PixelsOfColour(rgb, pixels, 0, 1, 0), 0u);
        }
    }
}

TEST(ExportCommand, AFailedWriteLeavesNoFileBehind) {
    TempDir dir;
    // A folder where the file should go: the rename into place fails even
    // for root. The glTF's buffer, written beside it, must go too.
    fs::create_directory(dir / "out.gltf");
    fs::create_directory(dir / "out.png");
    const std::string cube = SamplesDir() + "/cube.mqo";
    VarnelRun run = RunVarnel("import --yes --export " + dir / "out.gltf" + " --export " +
                              dir / "ok.obj" + " --preview " + dir / "out.png " + cube);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(dir / "out.gltf not written"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(dir / "out.png not written"), std::string::npos) << run.err;
    std::vector<std::string> names = Entries(dir.path());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"ok.mtl", "ok.obj", "out.gltf", "out.png"}));
    EXPECT_TRUE(fs::is_empty(dir / "out.gltf"));

    run = RunVarnel("import --yes --export " + dir / "missing/out.glb " + cube);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("No such file or directory"), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(dir / "missing"));
}

TEST(ExportCommand, UnknownTypesMissingNamesAndBadScalesAreUsageErrors) {
    const std::string cube = SamplesDir() + "/cube.mqo";
    VarnelRun run = RunVarnel("import --yes --export out.xyz " + cube);
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find(".glb .gltf .obj .fbx .dae .ply .stl"), std::string::npos) << run.err;
    EXPECT_EQ(RunVarnel("import --yes --preview out.jpg " + cube).status, 2);
    EXPECT_EQ(RunVarnel("import --yes " + cube + " --export").status, 2);
    for (const char* scale : {"0", "-1", "nan", "inf", "1e60", "1e-50", "2x", "km", "''"}) {
        run = RunVarnel("import --yes --scale " + std::string(scale) + " --preview x.png " + cube);
        EXPECT_EQ(run.status, 2) << scale;
        EXPECT_NE(run.err.find("--scale takes a positive number"), std::string::npos) << run.err;
    }
    EXPECT_EQ(RunVarnel("import --yes " + cube + " --scale").status, 2);
}

TEST(ExportCommand, AnOutputThatIsTheDocumentItselfIsAUsageErrorAndLeavesItAlone) {
    TempDir dir;
    // A document misnamed as the export it is asked for, and other ways to it.
    const std::string document = ReadFile(SamplesDir() + "/cube.mqo");
    WriteFile(dir / "d.glb", document);
    fs::create_hard_link(dir / "d.glb", dir / "hard.glb");
    fs::create_symlink("d.glb", dir / "soft.glb");
    fs::create_symlink("d.glb", dir / "soft.png");
    fs::create_directory(dir / "sub");
    for (const std::string& output : {dir / "d.glb", dir / "./d.glb", dir / "hard.glb",
                                      dir / "soft.glb", dir / "sub/../d.glb"}) {
        const VarnelRun run = RunVarnel("import --yes --export " + dir / "new.obj --export " +
                                        output + " " + dir / "d.glb");
        EXPECT_EQ(run.status, 2) << output;
        EXPECT_NE(run.err.find("the output " + output + " is the document " + dir / "d.glb"),
                  std::string::npos)
            << run.err;
    }
    EXPECT_EQ(RunVarnel("import --yes --preview " + dir / "soft.png " + dir / "d.glb").status, 2);
    EXPECT_TRUE(ReadFile(dir / "d.glb") == document);
    EXPECT_EQ(Entries(dir.path()),
              (std::vector<std::string>{"d.glb", "hard.glb", "soft.glb", "soft.png", "sub"}));
}

TEST(ExportCommand, NothingIsWrittenWhenTheImportIsCancelled) {
    TempDir dir;
    const VarnelRun run = RunVarnel("import --cancel --export " + dir / "c.glb --preview " +
                                    dir / "c.png " + SamplesDir() + "/cube.mqo");
    EXPECT_EQ(run.status, 3);
    EXPECT_TRUE(fs::is_empty(dir.path()));
}

}  // namespace
