#pragma once

// Settings of the whole process that decoding relies on. Called first
// thing, before any thread starts or any picture is decoded.
void ApplyProcessSettings();
