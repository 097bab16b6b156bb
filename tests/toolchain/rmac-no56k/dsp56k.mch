# DSP56001 mnemonics, one a line, for dsp56kgen. This build of rmac refuses
# the DSP56001 mode itself (.56001, -m56001), so no mnemonic is listed: the
# assembler never looks one up.
