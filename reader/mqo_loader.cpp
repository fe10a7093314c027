#include "reader/mqo_loader.h"

MQOLoader::MQOLoader() : model(std::make_unique<MQOModel>()) {}

MQOLoader::~MQOLoader() {
    model.reset();
}
