#pragma once

#include <memory>

// The native fuzz build's view of the quarantine binding, found ahead of the
// real header. A listing record holds its container, but neither the parse
// nor the writers touch it: the type is all they need, and the real binding
// would bring the whole platform with it.
class CZEBQtWrapper {
public:
    class Container;
    typedef std::shared_ptr<Container> ContainerPtr;
};
