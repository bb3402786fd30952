// (family header filled in by its owner)
#pragma once
