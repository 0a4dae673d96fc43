#include "AppContext.h"

#include <cassert>

namespace {
AppContext* g_instance = nullptr;
}

AppContext::AppContext()
{
    assert(g_instance == nullptr);
    g_instance = this;
}

AppContext::~AppContext()
{
    g_instance = nullptr;
}

AppContext& AppContext::Get()
{
    assert(g_instance != nullptr);
    return *g_instance;
}

bool AppContext::Exists()
{
    return g_instance != nullptr;
}
