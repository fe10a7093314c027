// The texts of every message the importer delivers, in code page 932, each
// with its Japanese reading beside it. The bytes are what the host has always
// shown: a change here changes what users see and what programs compare.
#include "model/message_code.h"

const char* MessageFormat(MessageCode code) {
    switch (code) {
        case MessageCode::kNoOpenBrace:  // "[%c] {がありません"
            return "[%c] {\x82\xaa\x82\xa0\x82\xe8\x82\xdc\x82\xb9\x82\xf1";
        case MessageCode::kNoOpenParen:  // "[%c] (がありません"
            return "[%c] (\x82\xaa\x82\xa0\x82\xe8\x82\xdc\x82\xb9\x82\xf1";
        case MessageCode::kNoCloseParen:  // "[%c] )がありません"
            return "[%c] )\x82\xaa\x82\xa0\x82\xe8\x82\xdc\x82\xb9\x82\xf1";
        case MessageCode::kNoOpeningQuote:  // "[%c]\"が見つかりません"
            return "[%c]\x22\x82\xaa\x8c\xa9\x82\xc2\x82\xa9\x82\xe8\x82\xdc\x82\xb9\x82\xf1";
        case MessageCode::kNotADocument:  // "%s はMQOファイルではありません"
            return "%s \x82\xcdMQO\x83t\x83@\x83"
                   "C\x83\x8b\x82\xc5\x82\xcd\x82\xa0\x82\xe8\x82\xdc\x82\xb9\x82\xf1";
        case MessageCode::kFirstHeaderWord:
            return "head1[%s]";
        case MessageCode::kSecondHeaderWord:
            return "head2[%s]";
        case MessageCode::kUnsupportedVersion:  // "%s は対応外のバージョンです"
            return "%s "
                   "\x82\xcd\x91\xce\x89\x9e\x8aO\x82\xcc\x83o\x81[\x83W\x83\x87\x83\x93\x82\xc5"
                   "\x82\xb7";
        case MessageCode::kUnknownToken:  // "[%s]対応外のチャンクです"
            return "[%s]\x91\xce\x89\x9e\x8aO\x82\xcc\x83`\x83\x83\x83\x93\x83N\x82\xc5\x82\xb7";
        case MessageCode::kUnclosedBlock:  // "%s(%d) : ここで開いた{が閉じられていません"
            return "%s(%d) : "
                   "\x82\xb1\x82\xb1\x82\xc5\x8aJ\x82\xa2\x82\xbd{"
                   "\x82\xaa\x95\xc2\x82\xb6\x82\xe7\x82\xea\x82\xc4\x82\xa2\x82\xdc\x82\xb9\x82"
                   "\xf1";
        case MessageCode::kUnknownCodePage:
            // "%s(%d) : [%s]は対応外のコードページです。932として読みます"
            return "%s(%d) : [%s]\x82\xcd\x91\xce\x89\x9e\x8aO\x82\xcc\x83R\x81[\x83h\x83y\x81["
                   "\x83W\x82\xc5\x82\xb7\x81"
                   "B932\x82\xc6\x82\xb5\x82\xc4\x93\xc7\x82\xdd\x82\xdc\x82\xb7";
        case MessageCode::kCutOffBeforeEof:  // "%s(%d) : Eofの前でファイルが終わっています"
            return "%s(%d) : Eof\x82\xcc\x91O\x82\xc5\x83t\x83@\x83"
                   "C\x83\x8b\x82\xaa\x8fI\x82\xed\x82\xc1\x82\xc4\x82\xa2\x82\xdc\x82\xb7";
        case MessageCode::kUnknownKeyword:  // "%s(%d) : [%s]対応外の%sチャンクです"
            return "%s(%d) : [%s]\x91\xce\x89\x9e\x8aO\x82\xcc%s\x83`\x83\x83\x83\x93\x83N\x82\xc5"
                   "\x82\xb7";
        case MessageCode::kNotAMaterialName:  // "[%s]マテリアル名ではありません"
            return "[%s]\x83}\x83"
                   "e\x83\x8a\x83"
                   "A\x83\x8b\x96\xbc\x82\xc5\x82\xcd\x82\xa0\x82\xe8\x82\xdc\x82\xb9\x82\xf1";
        case MessageCode::kNotAnObjectName:  // "[%s]オブジェクト名ではありません"
            return "[%s]\x83I\x83u\x83W\x83"
                   "F\x83N\x83g\x96\xbc\x82\xc5\x82\xcd\x82\xa0\x82\xe8\x82\xdc\x82\xb9\x82\xf1";
        case MessageCode::kNotANumber:  // "%s(%d) : [%s]数値ではありません"
            return "%s(%d) : [%s]\x90\x94\x92l\x82\xc5\x82\xcd\x82\xa0\x82\xe8\x82\xdc\x82\xb9\x82"
                   "\xf1";
        case MessageCode::kTooManyCorners:  // "%s(%d) : [%d]面の頂点数が多すぎます"
            return "%s(%d) : [%d]\x96\xca\x82\xcc\x92\xb8\x93_\x90\x94\x82\xaa\x91\xbd\x82\xb7\x82"
                   "\xac\x82\xdc\x82\xb7";
        case MessageCode::kBadVectorSize:  // "%s(%d) : [%d][%d]vectorのサイズが不正です"
            return "%s(%d) : [%d][%d]vector\x82\xcc\x83T\x83"
                   "C\x83Y\x82\xaa\x95s\x90\xb3\x82\xc5\x82\xb7";
        case MessageCode::kVertexAttrToken:
            return "vertexattr Chunk[%s]";
        case MessageCode::kVertexAttrEnd:
            return "BVertex End...\n";
        case MessageCode::kSummary:
            return "obj(%d),mtl(%d),surf(%d),vert(%d),poly(%d):%s";
        case MessageCode::kVertexWithoutEdge:
            return "v[%d]:edge_null";
        case MessageCode::kOverMemoryBudget:
            // "[%s]%s : メモリが足りません(必要 %llu バイト、上限 %llu バイト)"
            return "[%s]%s : \x83\x81\x83\x82\x83\x8a\x82\xaa\x91\xab\x82\xe8\x82\xdc\x82\xb9\x82"
                   "\xf1(\x95K\x97v %llu \x83o\x83"
                   "C\x83g\x81"
                   "A\x8f\xe3\x8c\xc0 %llu \x83o\x83"
                   "C\x83g)";
        case MessageCode::kBadMemoryBudget:  // "%s[%s]は不正な値なので無視します"
            return "%s[%s]\x82\xcd\x95s\x90\xb3\x82\xc8\x92l\x82\xc8\x82\xcc\x82\xc5\x96\xb3\x8e"
                   "\x8b\x82\xb5\x82\xdc\x82\xb7";
        case MessageCode::kOutOfMemory:  // "%s : メモリが足りないため読み込みを中止しました"
            return "%s : \x83\x81\x83\x82\x83\x8a\x82\xaa\x91\xab\x82\xe8\x82\xc8\x82\xa2\x82\xbd"
                   "\x82\xdf\x93\xc7\x82\xdd\x8d\x9e\x82\xdd\x82\xf0\x92\x86\x8e~\x82\xb5\x82\xdc"
                   "\x82\xb5\x82\xbd";
        case MessageCode::kMapPathKeptAsBytes:
            // "[%s]マップのパスはホストのコードページで表せないため、文書のバイトのまま渡します"
            return "[%s]\x83}\x83"
                   "b\x83v\x82\xcc\x83p\x83X\x82\xcd\x83z\x83X\x83g\x82\xcc\x83R\x81["
                   "\x83h\x83y\x81["
                   "\x83W\x82\xc5\x95\x5c\x82\xb9\x82\xc8\x82\xa2\x82\xbd\x82\xdf\x81"
                   "A\x95\xb6\x8f\x91\x82\xcc\x83o\x83"
                   "C\x83g\x82\xcc\x82\xdc\x82\xdc\x93n\x82\xb5\x82\xdc\x82\xb7";
        case MessageCode::kTrace:
            return "%s";
    }
    return "";
}

const char* MemoryStageName(MemoryStage stage) {
    switch (stage) {
        case MemoryStage::kFreezeMirror:
            return "Freeze Mirror";
        case MemoryStage::kFreezeCatmull:
            return "Freeze Catmull";
        case MemoryStage::kMeshBuilding:  // "メッシュ作成"
            return "\x83\x81\x83"
                   "b\x83V\x83\x85\x8d\xec\x90\xac";
    }
    return "";
}
