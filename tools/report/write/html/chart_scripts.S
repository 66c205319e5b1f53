// The minified chart runtime, included byte for byte. Windows on 32-bit x86
// prefixes C names with "_"; the compiler says so in __USER_LABEL_PREFIX__.
#define GLUE2(prefix, name) prefix##name
#define GLUE(prefix, name) GLUE2(prefix, name)
#define SYMBOL(name) GLUE(__USER_LABEL_PREFIX__, name)

#if defined(_WIN32)
  .section .rdata,"dr"
#else
  .section .rodata
#endif

#define EMBED(name, file) \
  .globl SYMBOL(name##_begin); .globl SYMBOL(name##_end); \
  SYMBOL(name##_begin): .incbin file; SYMBOL(name##_end):

EMBED(callbench_vega_js, CALLBENCH_VEGA_JS)
EMBED(callbench_vega_lite_js, CALLBENCH_VEGA_LITE_JS)
EMBED(callbench_vega_embed_js, CALLBENCH_VEGA_EMBED_JS)

#if defined(__ELF__)
  .section .note.GNU-stack,"",@progbits
#endif
