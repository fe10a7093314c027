// Reads a document, freezing mirrors, and prints what it holds:
//   load_totals FILE.mqo
#include <varnel/reader/mqo_loader.h>

#include <cstdio>

static void PrintMessage(const char* text) {
    std::fputs(text, stderr);
}

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    MQOLoader loader;
    loader.sink = MQOMessageSink::ForText(PrintMessage);
    loader.SetFreezeMirror(1);
    if (!loader.Load(argv[1])) return 1;
    const MQOModel& model = *loader.GetModel();
    std::printf("objects %d, materials %d, faces %d, vertices %d, triangles %d\n",
                model.ObjectCount(), model.MaterialCount(), model.face_total, model.vertex_total,
                model.triangle_total);
    return 0;
}
