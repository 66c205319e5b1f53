// Relative links and images must name files that exist, and their anchors
// headings that exist, in the same file or another, as GitHub spells them.
// Web addresses are not followed: the check runs offline.
import {fileURLToPath} from 'node:url'
import validateLinks from 'remark-validate-links'

export default {
  plugins: [[validateLinks, {repository: false, root: fileURLToPath(new URL('../..', import.meta.url))}]]
}
